#include "store/settingsstore.h"

namespace ostrel {

StoreError::StoreError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

} // namespace ostrel
