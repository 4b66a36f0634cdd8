// The texts of the program's fixed dialogs (help, About, the repeat prompt,
// the web site) and the small decisions behind them.
#ifndef KESTROVA_DIALOG_TEXTS_H
#define KESTROVA_DIALOG_TEXTS_H

#include <cstdint>

extern const char kHelpCaption[];
extern const char kHelpText[];
extern const char kAboutCaption[];   // also how the link injection finds the box
extern const char kAboutText[];
extern const char kRepeatCaption[];  // also how the edit injection finds the box
extern const char kRepeatPrompt[];
extern const char kWebHost[];        // the product's web site, also the link's text

// Capacity of the web address and of the connection failure text.
constexpr std::uint32_t kWebTextCapacity = 64;

// Writes the repeat prompt's first edit text: the count as decimal, or "1"
// for a count below 1. dst holds at least 12 bytes.
void RepeatTextFor(std::int32_t count, char* dst);

// Returns the repeat count an accepted prompt sets: the text's number when it
// is 1 or more (read as TextToInt does, overlong numbers wrapping), else 1.
std::int32_t RepeatCountFromText(const char* text);

// Writes the address the web-site command opens into dst (kWebTextCapacity
// bytes): the home page when the About box's link sent it, else the support
// page.
void ComposeWebAddress(bool from_link, char* dst);

// Writes the text shown when the address could not be opened into dst
// (kWebTextCapacity bytes).
void ComposeWebFailure(char* dst);

#endif
