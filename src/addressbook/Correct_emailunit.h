#pragma once
#include <QString>
#include <QUrl>

namespace kv {

// The e-mail address check: a plain syntactic filter. The text, without its
// leading and trailing blanks and control characters, must hold exactly one
// at sign that is neither first nor last; the part after it must hold a dot
// that is neither its first nor its last character (only the first dot is
// tested); and the text must hold none of blank, "[", "]", "(", ")", ":".
bool IsValidEmail(const QString &text);

// The link the mail button opens: "mailto:" + the address as typed +
// "?subiect=", built as a URL (the address percent-encoded where it must be).
QUrl mailLink(const QString &address);

} // namespace kv
