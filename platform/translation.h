#ifndef TIMETABLE_PLATFORM_TRANSLATION_H_
#define TIMETABLE_PLATFORM_TRANSLATION_H_

#include <functional>
#include <string>
#include <vector>

// The programs' messages in the user's language, through gettext. English is the source: a
// message that has no translation, or a language without a catalogue, stays English. The
// dialogue and the printed form are never translated.

// Chooses the language of messages, as the platform does, and finds the catalogues beside the
// program. Called once at the start of main; before it every message is English.
void startTranslation();

// The message in the user's language. The text passed is also the key that xgettext extracts.
const char* translate(const char* english);

// The message as it is said in context, for an English text that other languages say in more
// than one way (a word of a printer and of a print job, say).
const char* translateInContext(const char* context, const char* english);

// The form of a message for count, as the language forms the plural of that number.
const char* translatePlural(const char* singular, const char* plural, unsigned long count);

// What say returns with every message it builds left in English: the support log's own lines
// are English in every language, also where they name what a message names too.
std::string inEnglish(const std::function<std::string()>& say);

// The text with each {0}, {1}, ... replaced by the argument of that index, so that a translation
// may put the values in its own order. A brace not followed by a valid index and '}' stays as it
// is.
std::string formatMessage(const std::string& text, const std::vector<std::string>& arguments);

// Each platform supplies these.

// The full path of the running program, in UTF-8; empty when the system does not tell.
std::string programPath();
// Chooses the language of messages from the user's environment.
void chooseMessageLanguage();
// Sets an environment variable for this process (and the programs it starts); an empty value
// leaves it empty or removes it, which gettext takes alike.
void setEnvironmentVariable(const char* name, const std::string& value);
// Tells gettext to look for the domain's catalogues in folder (UTF-8).
void bindCatalogueFolder(const char* domain, const std::string& folder);

#endif  // TIMETABLE_PLATFORM_TRANSLATION_H_
