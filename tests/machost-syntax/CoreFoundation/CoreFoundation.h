// Stand-in for the framework umbrella in the Linux syntax check.
#include "../AppleDeclarations.h"
