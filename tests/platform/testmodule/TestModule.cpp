// A module for the loader tests: C exports, and a string table of its own.
#include "platform/kernel/module.h"
#include "platform/kernel/stringtable.h"

namespace {
int anchor;
}

extern "C" int TestModuleAnswer()
{
    return 42;
}

extern "C" HINSTANCE TestModuleInstance()
{
    return zorplat::ModuleInstanceOf(&anchor);
}

extern "C" int TestModuleLoadString(UINT id, LPSTR buffer, int size)
{
    return LoadString(TestModuleInstance(), id, buffer, size);
}
