#include "model/BinaryArchitecture.h"

namespace vantrel {

const SliceSet& sharedSliceSet(bool arm64, bool x86_64)
{
    static const SliceSet sets[4] = {
        {},
        {BinaryArchitecture::arm64},
        {BinaryArchitecture::x86_64},
        {BinaryArchitecture::arm64, BinaryArchitecture::x86_64},
    };
    return sets[(arm64 ? 1 : 0) | (x86_64 ? 2 : 0)];
}

} // namespace vantrel
