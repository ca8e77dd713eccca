// The utility library's error object: success (code 0) or an error code with a text.
#pragma once

#include <string>

class CUboError {
  public:
    CUboError() = default;
    CUboError(int code, std::string text) : m_code(code), m_text(std::move(text)) {}

    bool IsError() const { return m_code != 0; }
    int GetCode() const { return m_code; }
    const std::string& GetErrorString() const { return m_text; }
    // "<code>:<text>"
    std::string AsString() const { return std::to_string(m_code) + ":" + m_text; }

    void Set(int code, std::string text) {
        m_code = code;
        m_text = std::move(text);
    }
    void Clear() {
        m_code = 0;
        m_text.clear();
    }

  private:
    int m_code = 0;
    std::string m_text;
};
