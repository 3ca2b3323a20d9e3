#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/console.h"

namespace sonacli {
namespace {

// Sets LC_ALL for the life of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* value) {
    const char* old = std::getenv("LC_ALL");
    if (old) old_ = old;
    hadOld_ = old != nullptr;
    setenv("LC_ALL", value, 1);
  }
  ~ScopedLocale() {
    if (hadOld_) {
      setenv("LC_ALL", old_.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::string old_;
  bool hadOld_;
};

TEST(Process, LocaleIdentifierFromTheEnvironment) {
  struct Case {
    const char* locale;
    uint32_t id;
  };
  const Case cases[] = {{"fa_IR.UTF-8", 0x0429}, {"fa_IR", 0x0429}, {"fa_AF.UTF-8", 0x0409},
                        {"ru_RU.UTF-8", 0x0419}, {"C", 0x0409},     {"en_GB.UTF-8@euro", 0x0809}};
  for (const Case& c : cases) {
    ScopedLocale locale(c.locale);
    EXPECT_EQ(SystemLocaleId(), c.id) << c.locale;
  }
}

TEST(Process, ExecutablePathAndArguments) {
  EXPECT_NE(ExecutablePath().find(u"platform_test"), std::u16string::npos);
  char program[] = "prog";
  char first[] = "-t";
  char second[] = "Привет";
  char* argv[] = {program, first, second};
  EXPECT_EQ(DecodeArguments(3, argv), (std::vector<std::u16string>{u"-t", u"Привет"}));
}

TEST(Console, CaptureCollectsPrintedLines) {
  TConsoleCapture capture;
  PrintLine(u"[Error] Ж");
  PrintText(u"\r50%");
  EXPECT_EQ(capture.Text(), "[Error] Ж\n\r50%");
}

}  // namespace
}  // namespace sonacli
