// A module for the loader's test: its interface id and version are set when
// it is built (KV_TEST_INTERFACE, KV_TEST_VERSION); without KV_TEST_VERSION it
// exports no table at all.
#include "platform/Module.h"

#ifdef KV_TEST_VERSION
KV_MODULE_ENTRY kelvadrin_module() {
    static const struct {
        kv::ModuleHeader header;
        int (*answer)();
    } table{{KV_TEST_INTERFACE, KV_TEST_VERSION}, [] { return 42; }};
    return &table.header;
}
#endif
