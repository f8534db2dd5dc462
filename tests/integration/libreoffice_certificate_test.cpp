// The certificate launch against the real LibreOffice Calc, headless with a profile of its
// own: a workbook made here, whose start-up macro writes a file (and then modifies the
// workbook, hangs, or is missing), is opened, its macro run, the certificate kept as PDF, and
// LibreOffice closed again or, with a certificate not saved, left to the operator. Skipped when LibreOffice or its Python
// binding is not installed.

#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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

// The processes that run with the given text in their command line.
std::vector<pid_t> ProcessesWith(const std::string& text) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = readdir(proc)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    std::string line = ReadFile(std::string("/proc/") + entry->d_name + "/cmdline");
    for (char& c : line)
      if (c == '\0') c = ' ';
    if (line.find(text) != std::string::npos) found.push_back(static_cast<pid_t>(std::atol(entry->d_name)));
  }
  closedir(proc);
  return found;
}

bool AnyProcessWith(const std::string& text) { return !ProcessesWith(text).empty(); }

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

class LibreOfficeTest : public ::testing::Test {
protected:
  void SetUp() override { Prepare(templates); }

  // The trusted folder is where LibreOffice runs the macros of documents without asking; macro
  // is what the template's start-up macro does after writing the marker.
  void Prepare(const std::string& trusted, const std::string& macro = "writes") {
    if (!Succeeds("command -v soffice") || !Succeeds(std::string(ENDCAP_PYTHON) + " -c 'import uno'"))
      GTEST_SKIP() << "LibreOffice (soffice) or its Python binding (python3-uno) is not installed";
    ASSERT_EQ(mkdir(templates.c_str(), 0775), 0);
    ASSERT_EQ(mkdir((profile).c_str(), 0775), 0);
    ASSERT_EQ(mkdir((profile + "/user").c_str(), 0775), 0);
    ASSERT_TRUE(Succeeds(std::string(ENDCAP_PYTHON) + " " + ENDCAP_MAKE_WORKBOOK + " " + templates +
                         "Certificate.ods " + marker + " " + macro));
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

  // Launches the certificate of the template made in Prepare, kept as pdfFileName when named.
  void Launch(const std::string& pdfFileName = "") {
    LibreOfficeCalc calc(options);
    CertificatePromptDialog prompt(op, calc);
    prompt.Attach(view);
    prompt.templateFileName = "Certificate.ods";
    prompt.templateFolder = templates;
    prompt.pdfFileName = pdfFileName;
    prompt.OnInitDialog();
    prompt.OnCommand(ctl::certificate::kYes);
    op.VerifyDone();
    EXPECT_EQ(view.ended, 1);
  }
  std::string Template() const { return templates + "Certificate.ods"; }
  std::string Lock() const { return templates + ".~lock.Certificate.ods#"; }

  testing::TempDir dir;
  std::string templates = dir.path() + "/templates/";
  std::string profile = dir.path() + "/profile";
  std::string marker = dir.path() + "/macro-ran.txt";
  LibreOfficeOptions options;
  testing::ScriptedOperator op;
  testing::FakeCertificatePromptView view;
};

TEST_F(LibreOfficeTest, YesOpensTheTemplateRunsItsStartUpMacroKeepsItAsPdfAndClosesLibreOffice) {
  const std::string pdf = templates + "123456-007_inclinometer_2026-12-08.pdf";
  op.ExpectMessage(CertificateBox("The certificate is kept as PDF in\r\n" + pdf));
  Launch("123456-007_inclinometer_2026-12-08.pdf");
  EXPECT_EQ(ReadFile(marker), "Auto_Open ran in file://" + templates + "Certificate.ods\n");
  EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
  EXPECT_FALSE(AnyProcessWith(profile));
  EXPECT_FALSE(Exists(Lock()));
}

class ModifyingLibreOfficeTest : public LibreOfficeTest {
protected:
  void SetUp() override { Prepare(templates, "modifies"); }
  // The LibreOffice left to the operator ends with the test.
  void TearDown() override {
    for (const pid_t pid : ProcessesWith(profile)) kill(pid, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (AnyProcessWith(profile) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
};

TEST_F(ModifyingLibreOfficeTest, ACertificateLeftUnsavedStaysOpenInLibreOffice) {
  const std::string before = ReadFile(Template());
  op.ExpectMessage(
      CertificateBox("The certificate is open in Excel, not saved: review, save or print it there\r\n" + Template()));
  Launch();
  EXPECT_EQ(ReadFile(marker), "Auto_Open ran in file://" + Template() + "\n");
  // Still open: LibreOffice runs on, holding the document's lock, and nothing was saved over it.
  EXPECT_TRUE(AnyProcessWith(profile));
  EXPECT_TRUE(Exists(Lock()));
  EXPECT_EQ(ReadFile(Template()), before);
}

class HangingLibreOfficeTest : public LibreOfficeTest {
protected:
  void SetUp() override { Prepare(templates, "hangs"); }
};

TEST_F(HangingLibreOfficeTest, AMacroStoppedAtItsTimeOutLeavesNoLockAndNoLibreOffice) {
  options.macroSeconds = 3;
  op.ExpectMessage(CertificateBox("The certificate template's start-up macro failed\r\n" + Template() +
                                  "\r\nLibreOffice did not answer within 3 s"));
  Launch();
  EXPECT_EQ(ReadFile(marker), "Auto_Open ran in file://" + Template() + "\n");
  EXPECT_FALSE(AnyProcessWith(profile));
  EXPECT_FALSE(Exists(Lock()));
}

class MacrolessLibreOfficeTest : public LibreOfficeTest {
protected:
  void SetUp() override { Prepare(templates, "none"); }
};

TEST_F(MacrolessLibreOfficeTest, ATemplateWithoutAStartUpMacroIsReported) {
  op.ExpectMessage(CertificateBox("The certificate template's start-up macro failed\r\n" + Template() +
                                  "\r\nthe template has no start-up macro (Auto_Open)"));
  Launch();
  EXPECT_EQ(ReadFile(marker), "");
  EXPECT_FALSE(AnyProcessWith(profile));
  EXPECT_FALSE(Exists(Lock()));
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

TEST_F(LibreOfficeTest, ALibreOfficeNotFoundIsTheReasonExcelCouldNotStart) {
  options.office = dir.path() + "/no-such-office";
  op.ExpectMessage(CertificateBox("Couldn't start Excel.\r\nLibreOffice (" + options.office + ") was not found"));
  Launch();
}

}  // namespace
}  // namespace endcap
