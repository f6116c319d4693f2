#include "DateText.h"

namespace kv {

QString monthGenitive(int month) {
    static const char *const names[] = {"stycznia", "lutego",       "marca",     "kwietnia",
                                        "maja",     "czerwca",      "lipca",     "sierpnia",
                                        "września", "października", "listopada", "grudnia"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

} // namespace kv
