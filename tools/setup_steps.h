// The steps of `zorvaline setup`, run in the order of the table in setup.cpp. Each makes
// one part of the root what it should be, reports through the context what it created or
// updated, and returns false (with ctx.fail) when it cannot. Each must be idempotent: run
// again, it changes nothing that is already right. To add a step, declare it here, define
// it in its own file and add it to the table with a line for --help.
#pragma once

#include "tools/SetupContext.h"

// Install directory from [Install] Directory of Varnel.ini, or --install-dir, or the default.
bool ChooseInstallDirectory(SetupContext &ctx);
bool CreateDirectories(SetupContext &ctx);
// Temporaries that killed writers left in the root's folders; a live writer's stay.
bool SweepStaleTemporaries(SetupContext &ctx);
bool WriteVarnelIni(SetupContext &ctx);
bool WriteDatabaseSetting(SetupContext &ctx);
// The install directory, VComDef.ini and the database readable by their owner only.
bool ProtectPrivateFiles(SetupContext &ctx);
bool WriteWinIniPorts(SetupContext &ctx);
bool WriteServicesFile(SetupContext &ctx);
bool RegisterComputerName(SetupContext &ctx);
bool RegisterMachinePorts(SetupContext &ctx);
// ZORMON.DLL and Selvra.exe: copies of the programs built beside this one (skipped when not
// built), or symbolic links to the installed ones.
bool InstallPrintPrograms(SetupContext &ctx);
// banner01.ps, the cover-page template, in the install directory.
bool InstallCoverPageTemplate(SetupContext &ctx);
// The monitor registered with the spooler once ZORMON.DLL is installed.
bool RegisterMonitor(SetupContext &ctx);
// The sample driver disks in the install directory's DRIVERS folder.
bool InstallSampleDriverDisks(SetupContext &ctx);
// The system INF of the platform (msprint2.inf, ntprint.inf or printer.inf) in C:\WINDOWS\INF.
bool InstallSystemInf(SetupContext &ctx);
// Two drivers of the family, with their files in the system directory.
bool PreinstallFamilyDrivers(SetupContext &ctx);
