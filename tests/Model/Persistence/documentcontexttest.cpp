#include "Model/Persistence/documentcontext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <sys/stat.h>

using Model::Persistence::DocumentContext;

TEST(DocumentContext, CreatesDistinctScratchFilesAndRemovesThemOnDestruction)
{
    QTemporaryDir dir;
    QString undo, redo;
    {
        DocumentContext a(dir.path());
        DocumentContext b(dir.path());
        ASSERT_TRUE(a.isValid());
        undo = a.undoFileName();
        redo = a.redoFileName();
        EXPECT_TRUE(QFile::exists(undo));
        EXPECT_TRUE(QFile::exists(redo));
        EXPECT_NE(a.undoFileName(), b.undoFileName());
        const QString name = QFileInfo(undo).fileName();
        EXPECT_TRUE(name.startsWith(QStringLiteral("undo")) && name.endsWith(QStringLiteral(".temp"))) << name.toStdString();
        // Both files share the number.
        EXPECT_EQ(name.mid(4), QFileInfo(redo).fileName().mid(4));
    }
    EXPECT_FALSE(QFile::exists(undo));
    EXPECT_FALSE(QFile::exists(redo));
}

TEST(DocumentContext, DefaultsToTheWorkingDirectory)
{
    DocumentContext context;
    ASSERT_TRUE(context.isValid());
    EXPECT_EQ(QFileInfo(context.undoFileName()).absolutePath(), QDir::current().absolutePath());
}

TEST(DocumentContext, UnwritableFolderFallsBackToTheTemporaryFolder)
{
    QTemporaryDir dir;
    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    chmod(locked.toLocal8Bit().constData(), 0500);
    {
        QFile probe(locked + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            chmod(locked.toLocal8Bit().constData(), 0700);
            GTEST_SKIP() << "running with rights that ignore folder permissions";
        }
    }
    DocumentContext context(locked);
    ASSERT_TRUE(context.isValid());
    EXPECT_EQ(QFileInfo(context.undoFileName()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    chmod(locked.toLocal8Bit().constData(), 0700);
}

TEST(DocumentContext, MissingFolderFallsBackToTheTemporaryFolder)
{
    QTemporaryDir dir;
    DocumentContext missing(dir.path() + QStringLiteral("/no/such/folder"));
    ASSERT_TRUE(missing.isValid());
    EXPECT_TRUE(QFile::exists(missing.redoFileName()));
    EXPECT_EQ(QFileInfo(missing.undoFileName()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
}
