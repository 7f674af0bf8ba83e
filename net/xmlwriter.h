#pragma once

#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

// A streaming writer of the small XML documents the web services take: every value travels
// in an attribute, written with the ordinary stream operators into the stream attribute()
// returns. Numbers are always written in the classic locale, so 1.5 stays "1.5".
class XmlWriter
{
public:
    // Writes the declaration line at once.
    explicit XmlWriter(std::ostream& out);
    // Ends every element still open, innermost first.
    ~XmlWriter();
    XmlWriter(const XmlWriter&) = delete;
    XmlWriter& operator=(const XmlWriter&) = delete;

    void element(const std::string& name);
    void element(const char* name);
    // The stream for the value of a new attribute of the element just opened; the value
    // ends with the next attribute, element or end tag.
    std::ostream& attribute(const std::string& name);
    std::ostream& attribute(const char* name);
    void endElement();
    // Every new value stream takes this stream's format flags and precision.
    std::ostream& attFlagStream() { return _format; }

private:
    void _finishValue();
    void _finishTag();
    void _indent(std::size_t depth);

    std::ostream& _out;
    std::unique_ptr<std::ostringstream> _value;
    bool _tagOpen = false;
    std::vector<std::string> _open;
    std::ostringstream _format;
};
