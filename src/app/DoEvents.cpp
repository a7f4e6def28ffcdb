#include "app/DoEvents.h"

#include <QCoreApplication>

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
