// What a dry run prints: the plan of the run in a few lines, or one line per request.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "driver/dry_run_plan.h"
#include "main/book_input.h"
#include "settings/run_environment.h"
#include "settings/settings.h"

namespace sonacli {

// The interface's name in the plan: "legacy", "v1", "v3", or "none" when no interface serves the
// key and voice.
std::u16string_view InterfaceName(TServiceInterface route);

// The plan as "Name: value" lines: the requests (those to send of all, and the ones the cache
// answers when a cache is used), the characters billed in all and per interface (the texts to send,
// after the dictionaries), the voices with their languages and requests, the estimated length and
// how it is estimated, the chapters when there are any ("Chapters: N", then "Chapter K: H:MM:SS
// Title" at each one's estimated start, with "(line N)", the -ln number of its first line, for a
// book's), the parts of books left out ("Left out of novel.epub: Imprint (imprint, 321
// characters)"), a book's cover that cannot be stored, where the output goes (with the chapter
// file), and what the run's environment changes of the program's own choices, each with its
// variable ("Service: https://127.0.0.1:8443 (SONACLI_CLOUD_URL)", "Trusted certificates: ...",
// "ANSI code page: ...", "Request time-out: ...", "WAV data beyond N bytes: RF64 (...)").
std::vector<std::u16string> DryRunSummary(const TDryRunPlan& plan, const TSettings& settings,
                                          const TRunEnvironment& environment, const TBookNotes& books = {});

// One request as one line of JSON (no line break inside, whatever the text holds):
// {"n":1,"interface":"v1","voice":"oksana","language":"ru-RU","rate":"1.0","tone":"","cached":false,
// "characters":5,"text":"Hello"}, with "subtitle" (its number from 1) after "n" in subtitle mode.
// "tone" is the tone as it goes out, empty when none does; "n" counts from 1 in the order of the run.
std::u16string RequestLine(size_t number, const TPlannedRequest& planned, bool subtitleMode);

}  // namespace sonacli
