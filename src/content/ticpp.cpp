#include "content/ticpp.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/system/files.h"

namespace ticpp {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

template <class F> std::string FormatRoundTrip(F value) {
    char buffer[64];
    std::to_chars_result written{};
    for (int precision = 6; precision <= std::numeric_limits<F>::max_digits10; ++precision) {
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                precision);
        F back{};
        std::from_chars(buffer, written.ptr, back);
        if (back == value) {
            break;
        }
    }
    return std::string(buffer, written.ptr);
}

std::string ParseErrorText(const TiXmlDocument& document, const std::string& source) {
    return "Error parsing " + source + ": " + document.ErrorDesc() + " (row " +
           std::to_string(document.ErrorRow()) + ", column " + std::to_string(document.ErrorCol()) +
           ")";
}

std::string NameOf(const TiXmlNode* node) {
    return node->Type() == TiXmlNode::TINYXML_DOCUMENT ? std::string("document")
                                                       : "element '" + node->ValueStr() + "'";
}

Element FirstChildOf(const TiXmlNode* parent, const std::string& name, bool throwIfNone) {
    TiXmlElement* const child = const_cast<TiXmlNode*>(parent)->FirstChildElement(name);
    if (child == nullptr && throwIfNone) {
        throw Exception("Child element '" + name + "' does not exist in " + NameOf(parent));
    }
    return Element(child);
}

bool IsUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t lowest = 0;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            lowest = 0x10000;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            lowest = 0x800;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            lowest = 0x80;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

void FromString(const std::string& text, std::string* value) {
    *value = text;
}

void FromString(const std::string& text, bool* value) {
    const std::string lower = Lower(text);
    if (lower == "true" || lower == "1" || lower == "t") {
        *value = true;
    } else if (lower == "false" || lower == "0" || lower == "f") {
        *value = false;
    } else {
        throw Exception("Could not convert \"" + text + "\" to a bool");
    }
}

std::string ToString(const std::string& value) {
    return value;
}
std::string ToString(const char* value) {
    return value;
}
std::string ToString(bool value) {
    return value ? "true" : "false";
}
std::string ToString(float value) {
    return FormatRoundTrip(value);
}
std::string ToString(double value) {
    return FormatRoundTrip(value);
}

Element ElementIterator::operator*() const {
    return Element(m_element);
}

ElementIterator& ElementIterator::operator++() {
    m_element = m_element->NextSiblingElement(m_name);
    return *this;
}

TiXmlElement* Element::Checked() const {
    if (m_element == nullptr) {
        throw Exception("Access through an empty element");
    }
    return m_element;
}

std::string Element::Value() const {
    return Checked()->ValueStr();
}

bool Element::HasAttribute(const std::string& name) const {
    return Checked()->Attribute(name) != nullptr;
}

std::string Element::GetAttribute(const std::string& name) const {
    const std::string* const text = Checked()->Attribute(name);
    if (text == nullptr) {
        throw Exception("Attribute '" + name + "' does not exist in element '" + Value() + "'");
    }
    return *text;
}

void Element::SetAttribute(const std::string& name, const std::string& text) {
    Checked()->SetAttribute(name, text);
}

void Element::SetAttribute(const std::string& name, const char* text) {
    SetAttribute(name, std::string(text));
}

Element Element::FirstChildElement(const std::string& name, bool throwIfNone) const {
    return FirstChildOf(Checked(), name, throwIfNone);
}

Element Element::NextSiblingElement(const std::string& name, bool throwIfNone) const {
    TiXmlElement* const next = Checked()->NextSiblingElement(name);
    if (next == nullptr && throwIfNone) {
        throw Exception("Sibling element '" + name + "' does not exist after element '" + Value() +
                        "'");
    }
    return Element(next);
}

ElementRange Element::Children(const std::string& name) const {
    return ElementRange(Checked()->FirstChildElement(name), name);
}

Element Element::InsertEndChild(const std::string& name) {
    return Element(Checked()->InsertEndChild(TiXmlElement(name))->ToElement());
}

Document::Document() : m_document(std::make_unique<TiXmlDocument>()) {}
Document::~Document() = default;

void Document::LoadFile(const std::string& path) {
    std::string text;
    std::string error;
    if (!sys::ReadFile(path, text, &error)) {
        m_document->Clear();
        throw Exception(error);
    }
    Parse(text.data(), text.size(), "'" + path + "'");
}

void Document::Parse(const char* data, std::size_t size, const std::string& sourceName) {
    m_document->Clear();
    m_document->ClearError();
    // TinyXML reads up to a NUL, so the bytes are copied into a terminated string; a NUL
    // inside them ends the document there. It also steps over a UTF-8 sequence by the
    // length its lead byte claims, so a cut sequence at the end would carry it past the
    // terminator: four more NULs keep every such step inside the buffer.
    std::string text(data, size);
    text.append(4, '\0');
    m_document->Parse(text.c_str());
    if (m_document->Error()) {
        const std::string message = ParseErrorText(*m_document, sourceName);
        m_document->Clear();
        throw Exception(message);
    }
}

Element Document::Create(const std::string& rootName) {
    m_document->Clear();
    m_document->ClearError();
    m_document->InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", ""));
    return Element(m_document->InsertEndChild(TiXmlElement(rootName))->ToElement());
}

std::string Document::Print() const {
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    m_document->Accept(&printer);
    std::string text = printer.Str();
    // Bytes that are not UTF-8 (read from a file without a declaration, where TinyXML
    // takes every byte as it is) would make a UTF-8 reader take a lead byte and the quote
    // after it as one character. Declared as Latin-1 every byte reads back as it was.
    static const std::string kUtf8 = "encoding=\"UTF-8\"";
    const std::size_t declarationEnd = text.find("?>");
    const std::size_t at = text.find(kUtf8);
    if (at != std::string::npos && at < declarationEnd && !IsUtf8(text)) {
        text.replace(at, kUtf8.size(), "encoding=\"ISO-8859-1\"");
    }
    return text;
}

void Document::SaveFile(const std::string& path) const {
    std::string error;
    if (!sys::WriteFileAtomic(path, Print(), &error)) {
        throw Exception(error);
    }
}

Element Document::FirstChildElement(const std::string& name, bool throwIfNone) const {
    return FirstChildOf(m_document.get(), name, throwIfNone);
}

} // namespace ticpp
