#pragma once
// The texts of the help window's eight pages, as plain text ('\n' between lines).

#include <QString>

namespace kv {

QString helpPageText(int page);

} // namespace kv
