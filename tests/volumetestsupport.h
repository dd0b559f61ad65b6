#pragma once

#include "Core/Operations/stoppablework.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QString>
#include <QThreadPool>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

// Volumes built from a layout and read back, and a stand-in for option
// dialogs: what the engine and operation tests share.
namespace TestSupport {

typedef std::function<uint32_t(unsigned x, unsigned y, unsigned z)> Layout;

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                   const Layout &layout, float cx, float cy,
                                                                   float cz,
                                                                   const Util::Vector3D &position = Util::Vector3D())
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                m[(size_t(x) * sy + y) * sz + z] = layout(x, y, z);
    return boost::shared_ptr<Model::Automaton::TotalVolume>(
        new Model::Automaton::TotalVolume(sx, sy, sz, cx, cy, cz, position, m));
}

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                   const Layout &layout, float cellSize = 1.0f,
                                                                   const Util::Vector3D &position = Util::Vector3D())
{
    return makeVolume(sx, sy, sz, layout, cellSize, cellSize, cellSize, position);
}

inline std::vector<uint32_t> materialsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].material;
    return out;
}

inline uint32_t materialAt(Model::Automaton::TotalVolume &volume, unsigned x, unsigned y, unsigned z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.cellIndex(x, y, z)].material;
}

inline size_t countOf(const std::vector<uint32_t> &cells, uint32_t material)
{
    return size_t(std::count(cells.begin(), cells.end(), material));
}

// Restores the global pool's thread count when a test ends.
class PoolSize
{
public:
    PoolSize() : m_saved(QThreadPool::globalInstance()->maxThreadCount()) {}
    explicit PoolSize(int threads) : PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(threads); }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(m_saved); }
    PoolSize(const PoolSize &) = delete;
    PoolSize &operator=(const PoolSize &) = delete;

private:
    int m_saved;
};

// Stands in for an options dialog: "OK" runs accept, an empty accept is "Cancel".
class FakeDialog : public Util::IObserver
{
public:
    std::function<void()> accept;
    int shown = 0;
    void notify() override
    {
        ++shown;
        if (accept)
            accept();
    }
};

// Stands in for the program's progress dialog: runs the work on the calling
// thread, and Cancel is pressed once `when` says so (asked before and after the
// work; a stop after it is a Cancel that came after the engine's last stop point).
class FakeStepProgress : public Core::Operations::IStepProgress
{
public:
    enum When { Never, Before, After };
    explicit FakeStepProgress(When when = Never) : when(when) {}
    void run(const QString &name, const std::function<void()> &work, Util::StopToken &stop) override
    {
        names.push_back(name);
        current = &stop;
        if (when == Before)
            stop.request();
        work();
        if (when == After)
            stop.request();
        current = nullptr;
    }
    When when;
    std::vector<QString> names;
    Util::StopToken *current = nullptr; // while the work runs
};

// While it lives, a log line containing `text` (the random walk logs "At step
// 100") requests the stop of *token: a stop landing inside an engine's loop
// without any timing.
class StopWhenLogged
{
public:
    StopWhenLogged(Util::StopToken *const *token, const QString &text)
    {
        watched() = token;
        watchedText() = text;
        m_previous = qInstallMessageHandler(&StopWhenLogged::handle);
    }
    ~StopWhenLogged()
    {
        qInstallMessageHandler(m_previous);
        watched() = nullptr;
    }
    StopWhenLogged(const StopWhenLogged &) = delete;
    StopWhenLogged &operator=(const StopWhenLogged &) = delete;

private:
    static Util::StopToken *const *&watched()
    {
        static Util::StopToken *const *token = nullptr;
        return token;
    }
    static QString &watchedText()
    {
        static QString text;
        return text;
    }
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        Util::StopToken *const *token = watched();
        if (token && *token && message.contains(watchedText()))
            (*token)->request();
    }
    QtMessageHandler m_previous;
};

// Appends every message the workspace's console is given to messages, for as
// long as the workspace lives.
inline void recordConsole(Core::Operations::Workspace &workspace, QStringList &messages)
{
    struct Recorder : Util::IObserver
    {
        Core::Operations::ConsoleModel *console;
        QStringList *messages;
        void notify() override { *messages << console->lastMessage(); }
    };
    Recorder *recorder = new Recorder;
    recorder->console = &workspace.console();
    recorder->messages = &messages;
    workspace.console().addObserver(boost::shared_ptr<Util::IObserver>(recorder));
}

// Starts op on the workspace with dialog as its options dialog, whose "OK"
// hands the operation to set; an empty set is "Cancel".
template <class Op>
boost::shared_ptr<Op> startWithDialog(Core::Operations::Workspace &workspace, const boost::shared_ptr<Op> &op,
                                      const boost::shared_ptr<FakeDialog> &dialog, std::function<void(Op &)> set)
{
    const boost::weak_ptr<Op> weak = op;
    dialog->accept = set ? std::function<void()>([weak, set]() {
        if (boost::shared_ptr<Op> locked = weak.lock())
            set(*locked);
    })
                         : std::function<void()>();
    op->setDialogObserver(dialog);
    workspace.startOperation(op);
    return op;
}

} // namespace TestSupport
