#include "kit/DoEvents.h"

#include <QCoreApplication>

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
