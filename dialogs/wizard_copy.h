#pragma once
// Writing a disc image: the library's scripts into "Folder OVS", the
// program with its settings and help file into "Orvanta", autorun.inf at the
// root, and on request the setup programs into "soft". Every operation is
// written to the log; a failed one does not stop the ones after it.
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "dialogs/wizard_plan.h"

namespace dialogs {

class ImageCopy {
 public:
  // `speed` is the speed code the disc's settings file gets; `owner` owns
  // the messages.
  ImageCopy(app::App& app, ui::Form* owner, std::string imageFolder, std::string scriptFolder,
            int speed);

  bool CreateFolder(const std::string& path);
  bool CopyOneFile(const std::string& source, const std::string& target);
  // Everything but autorun.inf; with `setups` also the setup programs. True
  // when every counted operation succeeded.
  bool CopyAllFiles(const SetupPlan* setups);
  bool CreateAutorunIni();

  // How many files CopyAllFiles copies, for a progress bar.
  int FilesToCopy(const SetupPlan* setups) const;

  std::string log;  // lines end with CR LF
  // Packages whose setup program is not on the disc, or whose script there
  // does not name it.
  std::vector<std::string> setupFailures;
  std::function<void()> onFileCopied;

 private:
  std::string Image(const std::string& name) const;
  bool CopyScripts(const std::vector<std::string>& files);
  bool CopyProgram();
  bool WriteDiscSettings(const std::string& target, bool copiedFromProgram);
  void CopyRuntimeLibraries(const std::string& folder);
  bool CopySetupPrograms(const SetupPlan& plan);
  bool CopySetupProgram(const SetupCopy& copy, const std::string& softFolder);
  bool PointScriptAtDisc(const SetupCopy& copy);

  app::App& app_;
  ui::Form* owner_;
  std::string image_, scripts_;
  int speed_;
};

}  // namespace dialogs
