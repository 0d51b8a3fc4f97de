#include "storage/FileCalls.h"

namespace passgen {

namespace {

FileCalls systemCalls;
FileCalls* current = &systemCalls;

} // namespace

FileCalls& fileCalls()
{
    return *current;
}

UsingFileCalls::UsingFileCalls(FileCalls& calls) : m_before(current)
{
    current = &calls;
}

UsingFileCalls::~UsingFileCalls()
{
    current = m_before;
}

} // namespace passgen
