// Console output. Every Russian text reaches standard output through the
// Cyrillic-to-Latin transliteration, because the console is not assumed to
// show Windows-1251. Standard output is flushed after every write so that
// progress marks appear at once.
#pragma once

#include <string>
#include <string_view>

namespace drovix {

// Byte by byte: Russian letters of Windows-1251 become their Latin
// transcription; every other byte is copied unchanged.
std::string Transliterate(std::string_view text);

// Writes Transliterate(text) without a line end.
void ConsoleWrite(std::string_view text);
// Writes Transliterate(text) followed by LF.
void ConsoleWriteLine(std::string_view text);
// Writes plain ASCII progress marks ("." or "..") as they are.
void ConsoleWriteRaw(std::string_view text);

// While pages are built side by side, a thread building a page writes into
// that page's channel (TConsoleChannel.h) instead, and its text reaches the
// console in script order.

// Writes Transliterate(text) the first time the console is to show the
// notice named id in this run; later writes of the same id show nothing.
void ConsoleWriteOnce(const std::string& id, std::string_view text);
// True once for each id: the caller is to show the notice.
bool ClaimConsoleNotice(const std::string& id);
// The notice id may be shown again (its cause is gone, e.g. a failed load).
void ForgetConsoleNotice(const std::string& id);

// Blocks until the calling thread's text reaches the console live, i.e.
// every page before its own in script order is done; returns at once for a
// thread that writes to the console directly. Raises EDrovixError when the
// page's output was dropped (an earlier page failed or the run is stopping).
void ConsoleAwaitTurn();

}  // namespace drovix
