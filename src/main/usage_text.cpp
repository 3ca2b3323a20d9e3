#include "main/usage_text.h"

#include "platform/console.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kUsage[] = {
    u"",
    u"Usage: sonacli [options ...]",
    u"",
    u"  -k <key>           : specify API-key for authorization",
    u"  -l <language_name> : set language (de-DE, en-US, kk-KZ, ru-RU, tr-TR, uz-UZ)",
    u"  -n <voice_name>    : set voice",
    u"  -s <number>        : set speech rate (from 0.1 to 3.0)",
    u"  -v <integer>       : set speech volume (from 0 to 200)",
    u"  -e <emotion>       : set emotional tone (neutral, good, evil)",
    u"  -m                 : print list of values for parameters",
    u"  -f <file_name>     : set input text file",
    u"  -fl <file_name>    : set file with list of input file names",
    u"  -w <file_name>     : set output file in WAV format",
    u"  -c                 : use text from clipboard",
    u"  -t <text>          : use text from command line",
    u"  -i                 : use text from stdin",
    u"  -o                 : write sound data to stdout",
    u"  -enc <encoding>    : set input text encoding (ansi, utf8 or unicode)",
    u"  -ln <integer>      : select line by number (or range, e.g. 12-79)",
    u"  -d <file_name>     : apply dictionary for pronunciation correction",
    u"  -lrc               : create LRC file to display synchronized text in audio players",
    u"  -srt               : create SRT file to display synchronized text in video players",
    u"  -sub               : process input text as subtitles",
    u"  -host <host_name>  : set hostname for proxy server",
    u"  -port <integer>    : set port number for proxy server",
    u"  -fr <integer>      : set output audio sampling frequency in kHz (from 8 to 48)",
    u"  -dp                : display progress information",
    u"  -cfg <file_name>   : set configuration file name",
    u"  -stereo            : set stereo audio format for output file",
    u"  -dbr <integer>     : set delay between requests (in milliseconds)",
    u"  -isb               : ignore text in square brackets",
    u"  -icb               : ignore text in curly brackets",
    u"  -iab               : ignore text in angle brackets",
    u"  -irb               : ignore text in round brackets",
    u"  -iu                : ignore URLs",
    u"  -ic                : ignore /*comments*/ in text",
    u"  -h                 : print usage information",
    u"",
    u"  --lrc-length <integer>  : set max length of text lines in output LRC file",
    u"  --lrc-fname <file_name> : set filename for output LRC file",
    u"  --lrc-enc <encoding>    : set encoding for output LRC file",
    u"  --lrc-offset <integer>  : set time offset for output LRC file (in milliseconds)",
    u"  --lrc-artist <text>     : artist (ID tag)",
    u"  --lrc-album <text>      : album (ID tag)",
    u"  --lrc-title <text>      : title (ID tag)",
    u"  --lrc-author <text>     : author (ID tag)",
    u"  --lrc-creator <text>    : creator of LRC file (ID tag)",
    u"  --lrc-sent              : insert blank lines after sentences in LRC file",
    u"  --lrc-para              : insert blank lines after paragraphs in LRC file",
    u"  --srt-length <integer>  : set max length of text lines in output SRT file",
    u"  --srt-fname <file_name> : set filename for output SRT file",
    u"  --srt-enc <encoding>    : set encoding for output SRT file",
    u"  --raw                   : output is raw PCM data (headerless)",
    u"  --ignore-length         : omit length of audio data in WAV header",
    u"  --sub-format <text>     : set format of subtitles (for input text)",
    u"  --sub-fit               : increase speech rate to fit time intervals in subtitles",
    u"  --sub-max <integer>     : set max rate of speech for subtitles (from 110 to 200)",
    u"  --smi-class <text>      : read this class of a SAMI file of several languages",
    u"  --cache <folder>        : keep the answers of the service in a folder to resume runs",
    u"  --jobs <integer>        : send up to this many requests at once (from 1 to 8)",
    u"  --format <format>       : set format of output (wav, raw, opus, mp3, flac; -w: by extension)",
    u"  --bitrate <integer>     : set bitrate of Opus, MP3 or M4B output (in kbps)",
    u"  --title <text>          : title of the audiobook (tag of Opus, MP3, M4B, FLAC)",
    u"  --author <text>         : author of the audiobook (tag)",
    u"  --cover <file_name>     : cover picture of the audiobook (JPEG or PNG)",
    u"  --split-chapters <dir>  : also write one file per chapter into the folder",
    u"  --chapters <file_name>  : write the chapters beside the audio (.txt, .ffmeta, .cue)",
    u"  --paragraph-pause <ms>  : set pause between paragraphs (books: 700; text: none)",
    u"  --chapter-pause <ms>    : set pause at the end of a chapter (books: 2000; text: none)",
    u"  --book-parts <parts>    : read parts of books (text: without boilerplate; all)",
    u"  --chapter-titles <form> : set form of chapter titles of books (full or bare)",
    u"  --list-lines            : print input lines numbered as -ln counts them; send nothing",
    u"  --dry-run               : print what would be sent, billed and written; send nothing",
    u"  --list-requests         : print every request of a dry run, one JSON line each",
    u"  --version               : print versions of the program and its libraries",
    u"",
    u"  The API-key is read from the environment variable SONACLI_API_KEY",
    u"  when neither -k nor the configuration file gives one.",
};

}  // namespace

std::span<const std::u16string_view> UsageLines() {
  return kUsage;
}

void PrintUsage() {
  for (std::u16string_view line : kUsage) PrintLine(line);
}

}  // namespace sonacli
