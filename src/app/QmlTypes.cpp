#include "app/QmlTypes.h"

void qml_register_types_Vantrel();

namespace vantrel::qml {

void linkQmlTypes()
{
    [[maybe_unused]] static void (*const registration)() = &qml_register_types_Vantrel;
}

} // namespace vantrel::qml
