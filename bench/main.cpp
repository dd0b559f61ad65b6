#include "benchmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Scratch files go to a temporary folder, never the checkout.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    return runBenchmarks(argc, argv);
}
