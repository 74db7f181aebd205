// lumo: inspects and exercises what the LumoTools library reads and writes.
// Exit status: 0 on success, 1 on bad input (one line on standard error), 2 on misuse, 130 when
// interrupted.
#include <iostream>

#include "commands.h"
#include "lumotools/version.h"

int main(int argc, char** argv) {
  CLI::App app{"lumo - the LumoTools command-line program"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("lumo ") + LumoToolsVersion(),
                       "Print the LumoTools version and exit");
  lumo_cli::AddDemoCommand(app);
  lumo_cli::AddBagCommand(app);
  lumo_cli::AddCalcCommand(app);
  lumo_cli::AddClipCommand(app);
  lumo_cli::AddDumpCommand(app);
  lumo_cli::AddFilesCommand(app);
  lumo_cli::AddColorsCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  } catch (const lumo_cli::CommandFailure& e) {
    std::cerr << "lumo: " << e.what() << '\n';
    return 1;
  } catch (const lumo_cli::CommandInterrupted& e) {
    std::cerr << "lumo: " << e.what() << '\n';
    return 130;
  }
  return 0;
}
