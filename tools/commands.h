// The sub-commands of the zorvaline tool. Each takes the arguments after its own name and
// returns the process exit code.
#pragma once

int RunSetup(int argc, char **argv);
int RunPrint(int argc, char **argv);
int RunPrinters(int argc, char **argv);
int RunDrivers(int argc, char **argv);
int RunMonitors(int argc, char **argv);
int RunStatus(int argc, char **argv);
int RunCups(int argc, char **argv);

int RunSmtp(int argc, char **argv);
int RunJournal(int argc, char **argv);
