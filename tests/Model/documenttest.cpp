#include "Model/Automaton/totalvolume.h"
#include "Model/document.h"
#include "Model/layer.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using Model::Automaton::TotalVolume;
using Model::Document;
using Model::Object;

namespace {
boost::shared_ptr<Object> makeVolume()
{
    return boost::shared_ptr<Object>(new TotalVolume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 1u));
}
} // namespace

TEST(Object, IdsAreConsecutiveAndClonesGetNewOnes)
{
    const boost::shared_ptr<Object> a = makeVolume();
    const boost::shared_ptr<Object> b = makeVolume();
    EXPECT_EQ(b->getId(), a->getId() + 1);
    const boost::shared_ptr<Object> c(a->clone());
    ASSERT_TRUE(c);
    EXPECT_GT(c->getId(), b->getId());
    EXPECT_EQ(a->getColor(), Util::Vector4D(0, 0, 0, 1));
    EXPECT_EQ(a->getOutlineColor(), Util::Vector3D(1, 1, 1));
}

TEST(Object, IdsStayUniqueUnderConcurrentCreation)
{
    std::vector<std::vector<int>> ids(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&ids, t]() {
            for (int i = 0; i < 200; ++i)
                ids[t].push_back(makeVolume()->getId());
        });
    for (std::thread &thread : threads)
        thread.join();
    std::vector<int> all;
    for (const std::vector<int> &list : ids)
        all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST(Document, AddFindRemoveAndClear)
{
    Document document;
    ASSERT_EQ(document.getLayers().size(), 1);
    const boost::shared_ptr<Object> a = makeVolume();
    const boost::shared_ptr<Object> b = makeVolume();
    document.addObject(a);
    document.addObject(b);
    document.addObject(a);
    EXPECT_EQ(document.getObjects().size(), 3);
    EXPECT_EQ(document.findObject(b->getId()), b);
    EXPECT_FALSE(document.findObject(-12345));

    // Every entry pointing at the object goes.
    document.removeObject(a);
    ASSERT_EQ(document.getObjects().size(), 1);
    EXPECT_EQ(document.getObjects().first(), b);

    document.setFileName(QStringLiteral("/tmp/x.tvn"));
    document.clear();
    ASSERT_EQ(document.getLayers().size(), 1);
    EXPECT_EQ(document.getLayers().first()->getNumber(), 0);
    EXPECT_EQ(document.getCurrentLayer(), document.getLayers().first());
    EXPECT_TRUE(document.getObjects().isEmpty());
    EXPECT_TRUE(document.getFileName().isEmpty());
}
