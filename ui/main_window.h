#pragma once
// ftarnwick: the maker's main window. Every build option is a control; the
// build button validates, runs the build in the progress window and ends
// the program when the build finished.
#include "build_options.h"
#include "carried_resources.h"
#include "main_state.h"
#include "window_kit.h"

namespace tw {

class MainWindow : public Window {
 public:
  // options/flags: from the command line; complete when every required
  // positional parameter was given (then the window builds at once).
  MainWindow(const BuildOptions& options, const RunFlags& flags, const CarriedResources& carried);
  bool open();

 protected:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;
  bool preview_key(const MSG& msg) override;

 private:
  MainState read_state() const;
  void apply_state(const MainState& s);
  void fill();
  void layout_links();
  void run_rules(int clicked);
  void on_command(int id);
  void browse(int id);
  // The environment-variables window; a chosen name goes to the caret of
  // the custom-folder edit.
  void choose_variable();
  void build();
  LRESULT control_colour(HDC dc, HWND control, bool edit_message);

  BuildOptions options_;
  RunFlags flags_;
  const CarriedResources& carried_;
  std::wstring caption_;
  Font font_, bold_font_, link_font_;
};

// Runs the window until the program ends; the process's exit code.
int run_main_window(const BuildOptions& options, const RunFlags& flags,
                    const CarriedResources& carried);

}  // namespace tw
