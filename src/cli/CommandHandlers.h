#pragma once

// The work of each command, as the table of the command line (CliTable.h) names it.

namespace pelto::cli {

struct TCommandCall;

// GameCommands.cpp: what a game holds.
void InfoCommand(const TCommandCall& Call);
void ItemsCommand(const TCommandCall& Call);
void SpritesCommand(const TCommandCall& Call);
void ListCommand(const TCommandCall& Call);

// CodeCommand.cpp
void CodeCommand(const TCommandCall& Call);

// RenderCommand.cpp
void RenderCommand(const TCommandCall& Call);

// ServeCommand.cpp
void ServeCommand(const TCommandCall& Call);

// DiffCommand.cpp
void DiffCommand(const TCommandCall& Call);

// InstallationCommands.cpp: a game installation written, or the viewer's found.
void DemoCommand(const TCommandCall& Call);
void GameFolderCommand(const TCommandCall& Call);

} // namespace pelto::cli
