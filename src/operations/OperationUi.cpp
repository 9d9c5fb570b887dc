#include "operations/OperationUi.h"

#include <QThread>

namespace brevolan {

void OperationUi::pause(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

} // namespace brevolan
