#pragma once
// A small object layer over TinyXML: documents that load from a file or a buffer and save
// atomically with the "1.0"/"UTF-8" declaration, elements with typed attribute access, and
// iteration over child elements by name. Every failure (a missing element or attribute, a
// value that does not convert, a file that cannot be read or written) is thrown as a
// ticpp::Exception whose text names what was wrong.
#include <cstddef>
#include <exception>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>

class TiXmlDocument;
class TiXmlElement;

namespace ticpp {

class Exception : public std::exception {
  public:
    explicit Exception(std::string details) : m_details(std::move(details)) {}
    const char* what() const noexcept override { return m_details.c_str(); }

    std::string m_details;
};

// Text to value. Numbers are read with std::istringstream in the classic locale and must
// use the whole text (surrounding blanks aside); a bool takes "true", "1", "t", "false",
// "0" or "f" in any letter case; a string is taken as it is.
void FromString(const std::string& text, std::string* value);
void FromString(const std::string& text, bool* value);

template <class T> void FromString(const std::string& text, T* value) {
    static_assert(std::is_arithmetic_v<T>, "attributes convert to numbers, bools or strings");
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    T parsed{};
    const auto first = text.find_first_not_of(" \t\r\n");
    const bool negativeUnsigned =
        std::is_unsigned_v<T> && first != std::string::npos && text[first] == '-';
    in >> parsed;
    if (!in.fail() && !negativeUnsigned) {
        in >> std::ws;
        if (in.eof()) {
            *value = parsed;
            return;
        }
    }
    throw Exception("Could not convert \"" + text + "\" to a number");
}

// Value to text. Floating-point values get the fewest significant digits (at least six, as
// a default stream would write) that read back as the same value.
std::string ToString(const std::string& value);
std::string ToString(const char* value);
std::string ToString(bool value);
std::string ToString(float value);
std::string ToString(double value);

template <class T> std::string ToString(const T& value) {
    static_assert(std::is_integral_v<T>, "attributes convert from numbers, bools or strings");
    return std::to_string(value);
}

class Element;

// Forward iteration over the child elements of one name.
class ElementIterator {
  public:
    ElementIterator() = default;
    ElementIterator(TiXmlElement* element, std::string name)
        : m_element(element), m_name(std::move(name)) {}
    Element operator*() const;
    ElementIterator& operator++();
    bool operator==(const ElementIterator& other) const { return m_element == other.m_element; }
    bool operator!=(const ElementIterator& other) const { return m_element != other.m_element; }

  private:
    TiXmlElement* m_element = nullptr;
    std::string m_name;
};

class ElementRange {
  public:
    ElementRange(TiXmlElement* first, std::string name) : m_begin(first, std::move(name)) {}
    ElementIterator begin() const { return m_begin; }
    ElementIterator end() const { return {}; }

  private:
    ElementIterator m_begin;
};

// A handle on an element owned by its Document; valid while the document lives.
class Element {
  public:
    Element() = default;
    explicit Element(TiXmlElement* element) : m_element(element) {}

    explicit operator bool() const { return m_element != nullptr; }
    std::string Value() const;

    bool HasAttribute(const std::string& name) const;
    // The attribute's text; throws when the element has no such attribute.
    std::string GetAttribute(const std::string& name) const;
    template <class T> void GetAttribute(const std::string& name, T* value) const {
        const std::string text = GetAttribute(name);
        try {
            FromString(text, value);
        } catch (const Exception& e) {
            throw Exception(e.m_details + " (attribute '" + name + "' of element '" + Value() +
                            "')");
        }
    }
    void SetAttribute(const std::string& name, const std::string& text);
    void SetAttribute(const std::string& name, const char* text);
    template <class T> void SetAttribute(const std::string& name, const T& value) {
        SetAttribute(name, ToString(value));
    }

    // With `throwIfNone`, a missing element throws; without, it gives a null Element.
    Element FirstChildElement(const std::string& name, bool throwIfNone = true) const;
    Element NextSiblingElement(const std::string& name, bool throwIfNone = true) const;
    ElementRange Children(const std::string& name) const;
    // Appends a new empty child element and returns it.
    Element InsertEndChild(const std::string& name);

  private:
    TiXmlElement* Checked() const;

    TiXmlElement* m_element = nullptr;
};

class Document {
  public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Both replace the whole content; the path or a parser message is in the exception.
    void LoadFile(const std::string& path);
    void Parse(const char* data, std::size_t size, const std::string& sourceName = "buffer");

    // Clears the document and starts it with the declaration version "1.0", encoding
    // "UTF-8" and the given root element, which it returns.
    Element Create(const std::string& rootName);

    // The document as text, four spaces an indent level. Text that is not UTF-8 is declared
    // "ISO-8859-1" instead, so that it reads back byte for byte.
    std::string Print() const;
    // Written through a temporary file in the same folder, so the old file survives any
    // failure.
    void SaveFile(const std::string& path) const;

    Element FirstChildElement(const std::string& name, bool throwIfNone = true) const;

  private:
    std::unique_ptr<TiXmlDocument> m_document;
};

} // namespace ticpp
