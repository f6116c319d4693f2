// The iCalendar module's table: the mapping itself, linked in whole.
#include "IcalendarModule.h"

KV_MODULE_ENTRY kelvadrin_module() {
    static const kv::IcalendarModule table{
        {kv::IcalendarModule::Interface, kv::IcalendarModule::Version},
        &kv::Icalendar::write,
        &kv::Icalendar::read,
        &kv::Icalendar::merge,
    };
    return &table.header;
}
