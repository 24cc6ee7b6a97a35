// Stand-in for libobjc2's blocks runtime, which GNUstep's headers include when blocks are on.
#pragma once
extern "C" void* _Block_copy(const void* block);
extern "C" void _Block_release(const void* block);
