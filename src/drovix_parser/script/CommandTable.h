// The command vocabulary of the script: for every command its keyword,
// where it may stand and what its value is, as one table.
#pragma once

#include <cstdint>
#include <string>

#include "drovix_parser/script/TPageSettings.h"

namespace drovix {

enum TCommand : uint8_t {
  CBEGIN,
  CEND,
  CNAMEPREFIX,
  CFONT,
  CFONTSIZE,
  CMINFONTSIZE,
  CMAXFONTCOMPRESSION,
  CSFX,
  CCLEANINGPOWER,
  CTEXTURE,
  CPALETTEDEPTH,
  CDISABLEPNG,
  CMINWIDTH,
  CMAXWIDTH,
  CMINHEIGHT,
  CMAXHEIGHT,
  CDONTSCALE,
  CSCALEBEFORE,
  CSCALEAFTER,
  CHARDCOREMANIA,
  CCOLOR,
  CBLACKANDWHITE,
  CSTDBALONS,
  CSTDNEGABALONS,
  CBALONSBGR,
  CTRANSPARENTBALONSBGR,
  CBALONSPARS,
  CLINESPACING,
  CDISABLEAUTOHYPENS,
  CAUTOHYPENS,
  CCOMPRESSIONLOATHING,
  CSHORTLINESLOATHING,
  CTRANSITIONSLOATHING,
  CDEVIATIONSLOATHING,
  CSMEARMETOD,
  CSMEARPOWER,
  CSMEARINBALONS,
  CDONTSMEARINBALONS,
  CDRAFT,
  CKILLPATTERNS,
  CDONTKILLPATTERNS,
  CRELIZ,
  CALTBALON,
  CBALON,
  NOTACOMMAND
};

// Where a command may stand (bits).
enum TCommandPlace : uint8_t {
  PNOWHERE = 0,
  PHEAD = 1,        // script head (some only before the first page: the run checks that)
  PPAGE = 2,        // inside a page, once, before its balloons and sounds
  PREPEAT = 4 | 2,  // inside a page, any number of times, anywhere
};

// What applying the command does with its value.
enum class TCommandValue : uint8_t {
  Own,       // a step of its own (TParamsContainer::ApplyCommand)
  Integer,   // a decimal integer in Lo..Hi into Integer
  Number,    // a decimal number in Lo..Hi into Number
  Constant,  // no value: Lo goes into Integer
};

struct TCommandInfo {
  const char* Keyword;  // UTF-8
  uint8_t Place;        // TCommandPlace bits
  TCommandValue Value;
  long double Lo = 0;
  long double Hi = 0;
  int32_t TPageSettings::*Integer = nullptr;
  float TPageSettings::*Number = nullptr;
};

// The row of a command; NOTACOMMAND's for anything beyond it.
const TCommandInfo& CommandInfo(TCommand command);
// Script keyword of a command, Windows-1251 ("" for CBALON and NOTACOMMAND).
const std::string& CommandKeyword(TCommand command);
// The command whose keyword (blanks read as '_') equals the upper-cased
// name; false when there is none. "БАЛОН" and the empty name both give CBALON.
bool LookUpCommand(const std::string& upperName, TCommand& command);

}  // namespace drovix
