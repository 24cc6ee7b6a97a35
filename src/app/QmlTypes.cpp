#include "app/QmlTypes.h"

void qml_register_types_Vantrel();

namespace vantrel::qml {

namespace {
// A store the optimizer must keep: it is what makes the linker take the registration.
void (*volatile registration)() = nullptr;
} // namespace

void linkQmlTypes()
{
    registration = &qml_register_types_Vantrel;
}

} // namespace vantrel::qml
