#ifndef TIMETABLE_PRINTER_SPOOLER_REQUESTS_CUPS_H_
#define TIMETABLE_PRINTER_SPOOLER_REQUESTS_CUPS_H_

// What the CUPS side's jobs, printer states and listings share: the connection to the spooler
// and the questions asked on it. CUPS only.
#include <cups/cups.h>

#include <memory>
#include <string>
#include <vector>

using Connection = std::unique_ptr<http_t, void (*)(http_t*)>;
using Response = std::unique_ptr<ipp_t, void (*)(ipp_t*)>;

// A connection to the spooler of the user's CUPS settings, with a time-out on each answer; one
// that cannot be made is thrown as std::runtime_error naming the spooler's address.
Connection connectToSpooler();

bool lastRequestFailed();

// The text of the last failure. A request that got no answer in time says so.
std::string lastErrorText();

// The printer libcups would print on when none is named, or empty.
std::string defaultPrinterName(http_t* connection);

// Asks for the attributes named of the job or printer at the resource (/jobs/ID, /printers/NAME);
// returns null if the question fails.
Response askAttributes(http_t* connection, ipp_op_t operation, const std::string& resource,
                       const std::vector<const char*>& attributes);

// An attribute's values as text, separated by commas; empty if it is missing or empty.
std::string attributeText(const Response& response, const char* name);

// "name value" for each attribute that has a value, separated by commas, as the spooler names
// them (for the log); a value already told is left out.
std::string describe(const Response& response, const std::vector<const char*>& names,
                     const std::string& told = std::string());

// Whether the spooler has the printer as a queue; a question that fails otherwise is thrown.
bool hasPrinter(http_t* connection, const std::string& printer);

// The queue that prints on the printer: the printer's own, or for a printer found on the network
// a temporary one. Throws if the spooler has no such printer (spooler_listing_posix.cpp).
std::string queueFor(http_t* connection, const std::string& printer);

// The warning for a job that is not completed, its state and its printer's in the user's words,
// the spooler's own names logged (spooler_states_posix.cpp). printer may be null.
std::string jobStateWarning(const std::string& jobName, const Response& job,
                            const Response& printer);

// The attributes jobStateWarning reads.
extern const std::vector<const char*> kJobStateAttributes;
extern const std::vector<const char*> kPrinterStateAttributes;

#endif  // TIMETABLE_PRINTER_SPOOLER_REQUESTS_CUPS_H_
