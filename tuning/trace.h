#pragma once

#include <cstdio>
#include <string>

namespace qv {

// The evolution's trace file (and its per-round summary). Every write is
// checked; a failure throws GameError with the input/output text, and the file
// is closed on every path.
class TraceFile {
  public:
    // Lines end with lineEnd: CR LF in the trace.
    explicit TraceFile(const std::string& path, std::string lineEnd = "\r\n");
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Writes the line and its end.
    void Line(const std::string& text);
    void Close();

  private:
    std::FILE* file_ = nullptr;
    std::string lineEnd_;
};

// C:\TRACE.TXT on Windows, TRACE.TXT in the home directory elsewhere.
std::string DefaultTracePath();

}  // namespace qv
