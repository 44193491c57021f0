#include "driver/console/Console.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/TConsoleChannel.h"

namespace drovix {
namespace {

// Replacement of each byte 0xC0..0xFF (А..я).
constexpr const char* kLetters[64] = {
    "A", "B", "W", "G", "D", "E", "ZH", "Z",  "I",  "J",    "K", "L", "M", "N", "O",  "P",
    "R", "S", "T", "U", "F", "H", "C",  "CH", "SH", "SHCH", "'", "Y", "6", "E", "JU", "JA",
    "a", "b", "w", "g", "d", "e", "zh", "z",  "i",  "j",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "h", "c",  "ch", "sh", "shch", "'", "y", "6", "e", "ju", "ja",
};

// Every write is flushed at once, so progress marks appear as they are made.
void Put(std::string_view bytes) {
  if (TConsoleChannel* channel = CurrentConsoleChannel()) {
    channel->Write(bytes);
    return;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::mutex g_noticeMutex;
std::set<std::string>& ShownNotices() {
  static std::set<std::string> shown;
  return shown;
}

}  // namespace

std::string Transliterate(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0xC0)
      out += kLetters[c - 0xC0];
    else if (c == 0xA8)
      out += "JO";
    else if (c == 0xB8)
      out += "jo";
    else
      out.push_back(ch);
  }
  return out;
}

void ConsoleWrite(std::string_view text) { Put(Transliterate(text)); }

void ConsoleWriteLine(std::string_view text) { Put(Transliterate(text) + "\n"); }

void ConsoleWriteRaw(std::string_view text) { Put(text); }

void ConsoleWriteOnce(const std::string& id, std::string_view text) {
  if (TConsoleChannel* channel = CurrentConsoleChannel()) {
    channel->WriteOnce(id, Transliterate(text));
    return;
  }
  if (ClaimConsoleNotice(id)) Put(Transliterate(text));
}

bool ClaimConsoleNotice(const std::string& id) {
  const std::lock_guard<std::mutex> lock(g_noticeMutex);
  return ShownNotices().insert(id).second;
}

void ForgetConsoleNotice(const std::string& id) {
  const std::lock_guard<std::mutex> lock(g_noticeMutex);
  ShownNotices().erase(id);
}

void ConsoleAwaitTurn() {
  TConsoleChannel* channel = CurrentConsoleChannel();
  if (channel != nullptr && !channel->AwaitLive()) Raise(Ru("Сборка страницы отменена."));
}

}  // namespace drovix
