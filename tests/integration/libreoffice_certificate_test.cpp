// The certificate launch against the real LibreOffice Calc, headless with a profile of its
// own: a workbook made here, whose start-up macro writes a file, is opened, its macro run and
// LibreOffice closed again. Skipped when LibreOffice or its Python binding is not installed.

#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "records/certificate_prompt_dialog.h"
#include "records/libreoffice_calc.h"
#include "tests/records/fake_sheet_views.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

bool Succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether any process still runs with the given text in its command line.
bool AnyProcessWith(const std::string& text) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  bool found = false;
  while (dirent* entry = readdir(proc)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    std::string line = ReadFile(std::string("/proc/") + entry->d_name + "/cmdline");
    for (char& c : line)
      if (c == '\0') c = ' ';
    if (line.find(text) != std::string::npos) found = true;
  }
  closedir(proc);
  return found;
}

class LibreOfficeTest : public ::testing::Test {
protected:
  void SetUp() override { Prepare(templates); }

  // The trusted folder is where LibreOffice runs the macros of documents without asking.
  void Prepare(const std::string& trusted) {
    if (!Succeeds("command -v soffice") || !Succeeds(std::string(ENDCAP_PYTHON) + " -c 'import uno'"))
      GTEST_SKIP() << "LibreOffice (soffice) or its Python binding (python3-uno) is not installed";
    ASSERT_EQ(mkdir(templates.c_str(), 0775), 0);
    ASSERT_EQ(mkdir((profile).c_str(), 0775), 0);
    ASSERT_EQ(mkdir((profile + "/user").c_str(), 0775), 0);
    ASSERT_TRUE(Succeeds(std::string(ENDCAP_PYTHON) + " " + ENDCAP_MAKE_WORKBOOK + " " + templates +
                         "Certificate.ods " + marker));
    // The template folder is a trusted location, as the certificate folder must be at the
    // station: LibreOffice runs the macros of its documents without asking.
    std::ofstream(profile + "/user/registrymodifications.xcu")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
           "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"SecureURL\" "
           "oor:op=\"fuse\"><value><it>file://"
        << trusted
        << "</it></value></prop></item>\n"
           "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"MacroSecurityLevel\" "
           "oor:op=\"fuse\"><value>2</value></prop></item>\n"
           "</oor:items>\n";
    options.python = ENDCAP_PYTHON;
    options.bridge = ENDCAP_CALC_BRIDGE;
    options.profile = profile;
    options.headless = true;
    options.startSeconds = 40;
  }

  testing::TempDir dir;
  std::string templates = dir.path() + "/templates/";
  std::string profile = dir.path() + "/profile";
  std::string marker = dir.path() + "/macro-ran.txt";
  LibreOfficeOptions options;
  testing::ScriptedOperator op;
  testing::FakeCertificatePromptView view;
};

TEST_F(LibreOfficeTest, YesOpensTheTemplateRunsItsStartUpMacroAndClosesLibreOffice) {
  LibreOfficeCalc calc(options);
  CertificatePromptDialog prompt(op, calc);
  prompt.Attach(view);
  prompt.templateFileName = "Certificate.ods";
  prompt.templateFolder = templates;
  prompt.OnInitDialog();
  prompt.OnCommand(ctl::certificate::kYes);
  EXPECT_EQ(ReadFile(marker), "Auto_Open ran in file://" + templates + "Certificate.ods\n");
  EXPECT_EQ(view.ended, 1);
  EXPECT_FALSE(AnyProcessWith(profile));
}

TEST_F(LibreOfficeTest, AMissingTemplateIsToldAndLibreOfficeIsNotLeftRunning) {
  LibreOfficeCalc calc(options);
  CertificatePromptDialog prompt(op, calc);
  prompt.Attach(view);
  prompt.templateFileName = "Pressure_Certificate.xls";
  prompt.templateFolder = templates;
  op.ExpectMessage(CertificateBox("Excel could not open the certificate template\r\n" + templates +
                                  "Pressure_Certificate.xls\r\nno such file"));
  prompt.LaunchCertificate();
  EXPECT_EQ(view.ended, 1);
  EXPECT_FALSE(AnyProcessWith(profile));
}

class UntrustedLibreOfficeTest : public LibreOfficeTest {
protected:
  void SetUp() override { Prepare(dir.path() + "/elsewhere/"); }
};

TEST_F(UntrustedLibreOfficeTest, ATemplateOutsideTheTrustedLocationsHasItsMacroRefused) {
  LibreOfficeCalc calc(options);
  CertificatePromptDialog prompt(op, calc);
  prompt.Attach(view);
  prompt.templateFileName = "Certificate.ods";
  prompt.templateFolder = templates;
  op.ExpectMessage(CertificateBox("The certificate template's start-up macro failed\r\n" + templates +
                                  "Certificate.ods\r\nLibreOffice's macro security does not allow the macros of this "
                                  "template: add the certificate folder to the trusted file locations"));
  prompt.LaunchCertificate();
  EXPECT_EQ(ReadFile(marker), "");
  EXPECT_FALSE(AnyProcessWith(profile));
}

TEST_F(LibreOfficeTest, AnOfficeThatCannotRunCannotStart) {
  options.office = dir.path() + "/no-such-office";
  LibreOfficeCalc calc(options);
  EXPECT_FALSE(calc.Start());
  EXPECT_EQ(calc.LastError(), "cannot run " + options.office + ": No such file or directory");
  calc.Release();
}

}  // namespace
}  // namespace endcap
