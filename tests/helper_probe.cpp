// Prints where the program would find its metafile helper when it ran from
// this program's folder; the install test puts it beside the installed one.
#include <QCoreApplication>
#include <cstdio>

#include "platform/MetafileRenderer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%s\n", qPrintable(MetafileRenderer::FindHelper()));
    return 0;
}
