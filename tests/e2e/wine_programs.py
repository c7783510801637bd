"""Windows processes in the prefix: `Program` (a process started with
`probe run`), and `Programs`, the part of a Session that runs wine commands
and probe.exe to their end and starts programs that keep running."""

import os
import select
import subprocess
import time

from wine_common import COMMAND_TIMEOUT


class Program:
    """A Windows process started with `probe run`; `pid` is its Windows process
    id (the one the window list shows). It runs while `running()` is true."""

    def __init__(self, popen, pid, command_line):
        self.popen = popen
        self.pid = pid
        self.command_line = command_line
        self._windows_code = None

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout):
        """The process's exit code once it has ended, as Windows gives it
        (probe says it whole; Unix keeps only its low 8 bits); TimeoutError
        before."""
        try:
            code = self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"{self.command_line} still runs after {timeout} s") from None
        if self._windows_code is None:
            self._windows_code = self._said_exit_code()
        return code if self._windows_code is None else self._windows_code

    def _said_exit_code(self):
        # What probe wrote before it ended is in the pipe now; reading to its
        # end could wait for ever, as the programs it started may hold it.
        said = b""
        while select.select([self.popen.stdout], [], [], 0.5)[0]:
            chunk = os.read(self.popen.stdout.fileno(), 4096)
            if not chunk:
                break
            said += chunk
        words = said.split()
        if len(words) >= 2 and words[-2] == b"exit" and words[-1].isdigit():
            return int(words[-1])
        return None


class Programs:
    """Running wine and probe.exe for a class that has `name`, `logs`,
    `prefix`, `display`, `built`, `install_orvanta`, `windows_path`,
    `_holder` (the idle probe, None at first) and `_programs` (a list of the
    Programs it started) (Session)."""

    @property
    def program_log(self):
        """Where the standard error of the programs this test started goes."""
        return self.logs / f"{self.name}.programs.log"

    def wine(self, *args, check=False, timeout=COMMAND_TIMEOUT):
        """Runs `wine ARGS` to its end; returns the CompletedProcess (bytes)."""
        self._hold_wine_up()
        return self.prefix.run(self.display.name, list(args), check=check, timeout=timeout)

    def _hold_wine_up(self):
        # Wine stops its services when its last program ends and takes more
        # than a second to start them again; an idle probe keeps them up.
        if self._holder is None or self._holder.poll() is not None:
            self._holder = subprocess.Popen(
                ["wine", str(self.built("probe.exe")), "hold"],
                env=self.prefix.env(self.display.name), stdin=subprocess.PIPE,
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if self._read_line(self._holder.stdout) != b"ready":
                raise RuntimeError("Wine did not start in the prefix " + str(self.prefix.path))

    @staticmethod
    def _read_line(pipe, timeout=COMMAND_TIMEOUT):
        ready, _, _ = select.select([pipe], [], [], timeout)
        return pipe.readline().strip() if ready else b""

    def probe(self, *args, ok_codes=(0,)):
        """Output of probe.exe (UTF-8 decoded, last newline removed) and its
        exit code; raises when the exit code is not in `ok_codes`."""
        result = self.wine(self.built("probe.exe"), *args)
        if result.returncode not in ok_codes:
            raise RuntimeError(f"probe {' '.join(args)} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace')}")
        return result.stdout.decode("utf-8").removesuffix("\n"), result.returncode

    def start(self, command_line, folder, wine_debug=None, locale=None):
        """Starts a process with exactly `command_line` (a Windows command line,
        quotes as given) in the Windows folder `folder`; returns a Program once
        the process exists. `wine_debug` (a WINEDEBUG value) sends Wine's traces
        of the process to `program_log`. `locale` (such as "en_US.UTF-8") runs
        it, and what it starts, as on a Windows of that language: Wine takes
        the code page and the interface language from it."""
        env = self.prefix.env(self.display.name)
        if wine_debug:
            env["WINEDEBUG"] = wine_debug
        if locale:
            env.update(LANG=locale, LC_ALL=locale)
        # Seen once in many runs on a loaded machine: the start failed before the
        # program ran. A second attempt tells a passing hitch from a real fault.
        for attempt in range(2):
            self._hold_wine_up()
            with open(self.program_log, "ab") as log:
                log.write(f"-- start {command_line}\n".encode())
                log.flush()
                popen = subprocess.Popen(
                    ["wine", str(self.built("probe.exe")), "run", folder, command_line],
                    env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log)
            line = self._read_line(popen.stdout)
            if line.isdigit():
                break
            popen.kill()
            popen.wait(timeout=COMMAND_TIMEOUT)
            with open(self.program_log, "ab") as log:
                log.write(f"-- start failed (probe exit {popen.returncode}, said {line!r})\n"
                          .encode())
            time.sleep(1)
        else:
            raise RuntimeError(f"could not start {command_line} in {folder} "
                               f"(see {self.program_log})")
        program = Program(popen, int(line), command_line)
        self._programs.append(program)
        return program

    def start_orvanta(self, arguments="", exe=None, locale=None):
        """Starts orvanta.exe (by default a fresh copy in C:\\Orvanta) from its
        own folder; `arguments` is the raw rest of the command line; `locale`
        as for start."""
        exe_path = exe if exe is not None else self.windows_path(self.install_orvanta())
        folder = exe_path.rsplit("\\", 1)[0] + "\\"
        command_line = f'"{exe_path}"' + (f" {arguments}" if arguments else "")
        return self.start(command_line, folder, locale=locale)
