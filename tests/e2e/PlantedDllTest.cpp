// A DLL dropped beside the program, as a web page can drop one into the
// Downloads folder where the program was unpacked, is never loaded: not at
// start-up, not on a tour, not on a save.
#include "BrowserTour.h"
#include "platform/Texts.h"
#include "platform/win32/Wide.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

std::wstring PlantedDllPath() { return WindowsPathOf(VIMBREL_PLANTED_DLL_PATH); }

// Names of DLLs that the system loads for the program or for its DLLs: shell32
// once brought shcore in before the program could restrict the search,
// comctl32 loads uxtheme, advapi32 cryptbase; the program loads oleacc itself
// to read the pages.
constexpr const wchar_t* kPlantedNames[] = {L"shcore.dll",  L"uxtheme.dll",   L"dwmapi.dll",
                                            L"version.dll", L"cryptbase.dll", L"oleacc.dll"};

class PlantedDllTest : public BrowserTourTest {
 protected:
  // Also when the case stopped half-way, since the program did not start.
  void TearDown() override {
    EXPECT_EQ(Markers(), std::vector<std::string>{});
    BrowserTourTest::TearDown();
  }

  // The markers that copies of the planted DLL left, with the process that
  // loaded each.
  std::vector<std::string> Markers() const {
    std::vector<std::string> markers;
    for (const std::wstring& name : folder_.Entries()) {
      if (name.size() < 7 || name.compare(name.size() - 7, 7, L".loaded") != 0) continue;
      const std::string process = folder_.ReadFile(name).value_or("");
      const std::wstring loaded_by(reinterpret_cast<const wchar_t*>(process.data()),
                                   process.size() / sizeof(wchar_t));
      markers.push_back(Readable(win32::NarrowCp932(name + L" by " + loaded_by)));
    }
    return markers;
  }
};

TEST_F(PlantedDllTest, NoDllBesideTheProgramIsLoaded) {
  for (const wchar_t* name : kPlantedNames) {
    ASSERT_TRUE(
        CopyFileW(PlantedDllPath().c_str(), (folder_.Folder() + L"\\" + name).c_str(), TRUE))
        << "cannot plant the DLL; is it built?";
  }
  const std::string list = Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n");
  folder_.WriteListFile(list);
  Start().MainWindow();
  SetPageTime("1");

  StartTour();
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 20s)) << Readable(TourCaption());
  ExpectNoMessageBox();
  EXPECT_EQ(BrowserLog({"invoke Navigate", "activate", "invoke Quit", "close"}),
            (std::vector<std::string>{NavigateTo("page1.htm"), "activate link2",
                                      "invoke Quit flags=1 named=- args=-", "close Quit"}));
  EXPECT_EQ(SaveWithButton(), list);
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
