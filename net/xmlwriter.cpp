#include "net/xmlwriter.h"

#include <locale>

namespace {

// Writes one byte of an attribute value. Control characters that XML cannot carry are
// dropped; tab and line breaks are written as references, so that a reader keeps them
// instead of turning them into blanks.
void putEscaped(std::ostream& out, char c)
{
    switch (c) {
    case '"': out << "&quot;"; return;
    case '&': out << "&amp;"; return;
    case '<': out << "&lt;"; return;
    case '>': out << "&gt;"; return;
    case '\t': out << "&#9;"; return;
    case '\n': out << "&#10;"; return;
    case '\r': out << "&#13;"; return;
    default:
        break;
    }
    if (static_cast<unsigned char>(c) >= 0x20)
        out.put(c);
}

} // namespace

XmlWriter::XmlWriter(std::ostream& out)
    : _out(out)
{
    _format.imbue(std::locale::classic());
    _out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n";
}

XmlWriter::~XmlWriter()
{
    while (!_open.empty())
        endElement();
}

void XmlWriter::element(const std::string& name)
{
    if (_tagOpen)
        _finishTag();
    _indent(_open.size());
    _out << '<' << name << ' ';
    _open.push_back(name);
    _tagOpen = true;
}

void XmlWriter::element(const char* name)
{
    element(std::string(name));
}

std::ostream& XmlWriter::attribute(const std::string& name)
{
    _finishValue();
    _out << name << "=\"";
    _value = std::make_unique<std::ostringstream>();
    _value->imbue(std::locale::classic());
    _value->flags(_format.flags());
    _value->precision(_format.precision());
    return *_value;
}

std::ostream& XmlWriter::attribute(const char* name)
{
    return attribute(std::string(name));
}

void XmlWriter::endElement()
{
    if (_open.empty())
        return;
    const std::string name = _open.back();
    _open.pop_back();
    if (_tagOpen) {
        _finishValue();
        _out << "/>\n";
        _tagOpen = false;
        return;
    }
    _indent(_open.size());
    _out << "</" << name << ">\n";
}

void XmlWriter::_finishValue()
{
    if (!_value)
        return;
    for (char c : _value->str())
        putEscaped(_out, c);
    _out << "\" ";
    _value.reset();
}

void XmlWriter::_finishTag()
{
    _finishValue();
    _out << ">\n";
    _tagOpen = false;
}

void XmlWriter::_indent(std::size_t depth)
{
    _out << std::string(2 * depth, ' ');
}
