#pragma once

#include <cstddef>
#include <string>

// Takes a file's text line by line from CLineReader: decoded text while the
// format is being told and for CSV, whole vCard content lines as bytes once
// the reader of vCards wants them (it decodes each by its own parameters).
class ILineSink {
public:
    virtual ~ILineSink() = default;
    // Asked as each line starts.
    virtual bool WantsContentLines() const = 0;
    // Text with every line end one LF; a line may come in several pieces.
    virtual void OnText(const char16_t* pch, size_t cch) = 0;
    // A content line (folded lines and quoted-printable soft line breaks
    // joined) that starts on line nLine of the file. bCut: it was longer than
    // the bound, and its end is missing.
    virtual void OnContentLine(const std::string& bytes, unsigned nLine, bool bCut) = 0;
    // The end of the file: whatever is still open is completed.
    virtual void OnEnd() = 0;
};
