#pragma once

#include <cstdio>
#include <string>

namespace qv {

// The evolution's trace file. Every write is checked; a failure throws
// GameError with the input/output text, and the file is closed on every path.
class TraceFile {
  public:
    explicit TraceFile(const std::string& path);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Writes the line and CR LF.
    void Line(const std::string& text);
    void Close();

  private:
    std::FILE* file_ = nullptr;
};

// C:\TRACE.TXT on Windows, TRACE.TXT in the home directory elsewhere.
std::string DefaultTracePath();

}  // namespace qv
