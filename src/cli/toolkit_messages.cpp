#include "toolkit_messages.h"

#ifdef KORA_WITH_QT
#include <QtGlobal>
#endif

namespace kora::cli {

#ifdef KORA_WITH_QT
namespace {

void Discard(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

void SilenceToolkitMessages() {
    qInstallMessageHandler(Discard);
}
#else
void SilenceToolkitMessages() {}
#endif

} // namespace kora::cli
