// The status every REST operation returns: code 0 is success, anything else a failure with the
// array's (or the transport's) text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace HuaweiApi {

class ResultStatus {
  public:
    ResultStatus() = default;
    ResultStatus(uint64_t code, std::string text) : m_code(code), m_text(std::move(text)) {}

    bool IsError() const { return m_code != 0; }
    bool operator!() const { return IsError(); }
    uint64_t GetCode() const { return m_code; }
    const std::string& GetErrorString() const { return m_text; }
    // "<code>:<text>"
    std::string AsString() const { return std::to_string(m_code) + ":" + m_text; }

  private:
    uint64_t m_code = 0;
    std::string m_text;
};

}  // namespace HuaweiApi
