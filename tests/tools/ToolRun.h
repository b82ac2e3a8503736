#pragma once
// Runs one of the game's programs (the simulator, the content generator) in a scratch folder of
// the test's own and reads back what it printed.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

// The word as one shell word, whatever it holds.
inline std::string ShellQuoted(const std::string& Word) {
    std::string Quoted = "'";
    for (const char C : Word)
        Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

// A test that runs programs in a scratch folder of its own, there before SetUp and gone after
// TearDown.
class TToolTest : public ::testing::Test {
protected:
    explicit TToolTest(const std::string& Stem) : Scratch(Stem), Folder(Scratch.Path) {}

    std::string Write(const std::string& Name, std::string_view Bytes) const {
        return Scratch.Write(Name, Bytes);
    }
    std::string Write(const std::string& Name, const std::vector<uint8_t>& Bytes) const {
        return Scratch.Write(Name, Bytes);
    }

    // Runs the program with the words; its exit status (-1 when it did not exit of itself), what
    // it wrote to stdout in Out and to stderr in Err.
    int RunProgram(const std::string& Program, const std::vector<std::string>& Words) {
        std::string Command = ShellQuoted(Program);
        for (const std::string& W : Words)
            Command += " " + ShellQuoted(W);
        Command += " >" + ShellQuoted((Folder / "out").string()) + " 2>" +
                   ShellQuoted((Folder / "err").string());
        const int Status = std::system(Command.c_str());
        Out = Slurp(Folder / "out");
        Err = Slurp(Folder / "err");
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    }

    TScratchFolder Scratch;
    const std::filesystem::path Folder; // the scratch folder's path
    std::string Out, Err;
};

#ifdef MARVOLIN_SIM
// A test of marvolin-sim.
class TSimTest : public TToolTest {
protected:
    using TToolTest::TToolTest;
    int Run(const std::vector<std::string>& Words) { return RunProgram(MARVOLIN_SIM, Words); }
};
#endif
