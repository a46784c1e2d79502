#pragma once

#include <cstdio>
#include <string>

namespace qv {

// The evolution's trace file (and the command line's other line-by-line
// outputs). Every write is checked; a failure throws GameError with the
// input/output text, and the file is closed on every path.
//
// A file is written beside its target under a temporary name and put in the
// target's place by Close, so that a reader never sees half a run and two
// runs on one path leave one of them whole; until then an earlier file stays
// as it was. A device (/dev/null, /dev/full) cannot be replaced and is
// written directly.
class TraceFile {
  public:
    // Lines end with lineEnd: CR LF in the trace. Refuses (GameError) a
    // directory, a named pipe or a socket without waiting on it, and a file
    // that may not be written.
    explicit TraceFile(const std::string& path, std::string lineEnd = "\r\n");
    // Puts what was written in place, as Close does, unless nothing was
    // written or a write failed: then the target stays as it was.
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Writes the line and its end.
    void Line(const std::string& text);
    void Close();
    // Until it is closed, or a write fails.
    bool IsOpen() const { return file_ != nullptr; }

  private:
    void Drop();

    std::FILE* file_ = nullptr;
    std::string lineEnd_;
    std::string target_;
    std::string temporary_;  // empty for a device
    bool written_ = false;
};

// Whether two outputs would end up in one file. A device (/dev/null) may
// take both.
bool SameOutput(const std::string& a, const std::string& b);

// C:\TRACE.TXT on Windows, TRACE.TXT in the home directory elsewhere.
std::string DefaultTracePath();

}  // namespace qv
