#include "cli/cli.h"

#include <iostream>

#include "cli/options.h"
#include "platform/error.h"

namespace corvane::cli {
namespace {

constexpr const char* kVersion = "corvane 0.1.0";

constexpr const char* kHelp =
    "Usage: corvane COMMAND [OPTIONS]\n"
    "\n"
    "Puts soft hyphens (&shy;) between the syllables of the words of HTML documents.\n"
    "\n"
    "Commands:\n"
    "  hyphenate [FILE...]   hyphenate documents (stdin to stdout when no FILE);\n"
    "                        an EPUB book's content documents by the book's languages\n"
    "      -o, --output OUT          write the result to OUT (one FILE only)\n"
    "      --in-place                replace each FILE by its result\n"
    "      -j, --jobs N              with --in-place, N files at once (default: one\n"
    "                                per processor); same results as one at a time\n"
    "      --mode=hyphenate|unhyphenate|toggle\n"
    "                                hyphenate (default) removes any soft hyphens\n"
    "                                first; toggle removes them if there are any,\n"
    "                                else hyphenates; unhyphenate only removes\n"
    "      --pass=document|text      whole-document pass (default) or text pass\n"
    "      --language=auto|tr|en     rule for words no list holds: Turkish syllables\n"
    "                                or English patterns, by each element's lang and\n"
    "                                else the page's letters (auto, default)\n"
    "      --soft-hyphen=entity|numeric|character\n"
    "                                how HTML gets its soft hyphens: &shy; (default),\n"
    "                                &#173; or the character (UTF-8 pages only, else\n"
    "                                &#173;); XML pages always get the character or,\n"
    "                                when not UTF-8, &#173;\n"
    "      --exclude-class NAMES     elements of these classes keep their text whole\n"
    "                                (default: donthyphenate,nohyphenate,hyphenate-none)\n"
    "      --exclude SELECTORS       so do these: h1, .legal, #toc, [data-x], [lang=la],\n"
    "                                p.legal, comma-separated (besides var, math, svg,\n"
    "                                lang=\"zxx\" and translate=\"no\")\n"
    "      --dictionary FILE         your own marked words, one per line (ki_tap)\n"
    "      --no-wordlist             engine and dictionary only\n"
    "      --encoding=auto|utf-8|cp1254\n"
    "      --stats                   print the pass's counters on stderr\n"
    "      --max-input-size N        refuse an input larger than N bytes (K, M, G:\n"
    "                                KiB, MiB, GiB; default 1G)\n"
    "      -v, --verbose             print the unique-word count per file on stderr\n"
    "  words                 one word per line on stdin, its marked form on stdout\n"
    "      --engine-only             each whole line through the pattern engine\n"
    "      --dictionary FILE, --no-wordlist\n"
    "      --utf8                    stdin and stdout are UTF-8 (default code page 1254)\n"
    "  cipher encode|decode  each line of stdin through the word list's line cipher\n"
    "      --key K                   the cipher key (default: the built-in key)\n"
    "  container ACTION FILE [NAME]   the single-file container of a database\n"
    "      ls FILE                   names, sizes, times and pages of its files\n"
    "      cat FILE NAME             a file's bytes to stdout\n"
    "      put FILE NAME             stdin into a file (created or replaced)\n"
    "      rm FILE NAME              delete a file\n"
    "      create FILE               a new, empty container\n"
    "      check FILE                verify pages, maps and sizes; exit 1 on problems\n"
    "      --password P              for containers with a password\n"
    "  db ACTION DB [TABLE ...]       the tables of a database (DB: container file or directory)\n"
    "      tables DB                 table names and record counts\n"
    "      schema DB TABLE           fields with sizes and widths, indexes with their flags\n"
    "      dump DB TABLE             the records, tab-separated (\\N for null)\n"
    "        --index NAME              in the order of that index\n"
    "        --limit N                 at most N records\n"
    "        --filter EXPR             only the records for which EXPR holds\n"
    "        --filter-options LIST     case-insensitive,no-partial-compare\n"
    "      find DB TABLE EXPR        the first record for which EXPR holds (none: the header only)\n"
    "        --last                    the last one instead\n"
    "        --index NAME              in the order of that index\n"
    "      locate DB TABLE FIELD VALUE   the first record whose FIELD is VALUE\n"
    "        --ci                      ignoring case\n"
    "        --partial                 FIELD beginning with VALUE\n"
    "      check DB [TABLE]          headers against file sizes, identifiers, index\n"
    "                                order; exit 1 with the problems found\n"
    "  wordlist ACTION               the Turkish word list (CVHYPLIST.EDB beside the program)\n"
    "      build                     (re)build it from cvhype.lst\n"
    "      lookup WORD...            the marked form of each WORD\n"
    "      stats                     its file, size and number of words\n"
    "      --db FILE, --list FILE    other database and list files\n"
    "\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 success, 1 input or processing error, 2 usage error.\n";

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  try {
    if (args.empty()) throw UsageError("no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
      out << kHelp;
      return kExitOk;
    }
    if (command == "--version") {
      out << kVersion << "\n";
      return kExitOk;
    }
    for (const std::string& arg : rest) {
      if (arg == "--help" || arg == "-h") {
        out << kHelp;
        return kExitOk;
      }
    }
    if (command == "hyphenate") return RunHyphenate(rest, in, out, err);
    if (command == "words") return RunWords(rest, in, out, err);
    if (command == "languages") return RunLanguages(rest, in, out, err);
    if (command == "cipher") return RunCipher(rest, in, out, err);
    if (command == "container") return RunContainer(rest, in, out, err);
    if (command == "db") return RunDb(rest, in, out, err);
    if (command == "wordlist") return RunWordList(rest, in, out, err);
    throw UsageError("unknown command '" + command + "'");
  } catch (const UsageError& e) {
    err << "corvane: " << e.what() << "\nTry 'corvane --help'.\n";
    return kExitUsage;
  } catch (const std::bad_alloc&) {
    err << "corvane: out of memory\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    err << "corvane: " << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace corvane::cli
