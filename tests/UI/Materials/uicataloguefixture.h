#pragma once

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QWidget>

// Both catalogues back at their built-in tables and no catalogue files on disk.
class CatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset()
    {
        QDir(torvaneDir()).removeRecursively();
        Model::Materials::MaterialFactory::instance()->setDefaultMaterials();
        Model::Process::ProcessFactory::instance()->setDefaultProcesses();
    }
    static QString torvaneDir() { return QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("Torvane")); }
    static QByteArray readCatalogue(const QString &fileName)
    {
        QFile file(torvaneDir() + QLatin1Char('/') + fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    template <typename T> static T *child(QWidget *parent, const char *name)
    {
        T *widget = parent->findChild<T *>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
};
