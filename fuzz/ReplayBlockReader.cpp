// The block reader as the fuzz drivers were built with it: checksum
// mismatches ignored, so that stored inputs reach the parsing they reached
// while fuzzing. Linked ahead of the core library into fuzz_replay only.
#define FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
#include "formats/BlockReader.cpp"
