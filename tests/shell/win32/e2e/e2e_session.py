# The harness of the end-to-end runs, on the X display tests/xvfb/run_with_xvfb.sh started: a
# private copy of the build's Wine prefix whose processes always end, registry values, X input with
# xdotool, screen grabs with ImageMagick, and bounded polls.
import os
import re
import shutil
import signal
import subprocess
import time

from e2e_pictures import Picture

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
# A bound for each wait; generous because Wine's first start and Mesa's software renderer are
# slow on a busy machine. Every wait is a poll that returns as soon as its condition holds.
POLL_LIMIT = 60.0
POLL_STEP = 0.25
# The whole case ends by then, well inside CTest's limit, so that it always cleans up itself.
CASE_LIMIT = 480.0
_case_deadline = time.monotonic() + CASE_LIMIT


# Lines that Wine itself writes to a Windows program's standard error, which run under Wine is the
# same Unix descriptor as the program's: its debug channels ("0044:err:ole:start_rpcss ...", hex
# thread id, with a time and the process id first when WINEDEBUG asks for them), and the loader's,
# preloader's and server connection's messages ("wine: ...", "wine client error:..."), which
# WINEDEBUG=-all does not silence. They come in any number anywhere among the program's lines: a
# busy machine, where Wine's service manager starts late, adds an err line of ole's, for one.
WINE_LINE = re.compile(r"(?:wine\S*: )?(?: *\d+\.\d{3}:)?(?:[0-9a-fA-F]{4,8}:){1,2}(?:err|fixme|warn|trace):"
                       r"|(?:wine|wine64|wine-preloader|wineserver|preloader)(?: client error)?:")


def program_lines(text):
    """The lines a Windows program wrote to a stream under Wine, Wine's own lines left out."""
    return [line for line in text.splitlines() if not WINE_LINE.match(line)]


class TestFailure(Exception):
    """A check that failed: the case ends, cleans up and reports the message."""


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


def poll(what, probe, limit=POLL_LIMIT, step=POLL_STEP):
    """Calls probe() until it returns something true and returns that; fails after `limit` s."""
    deadline = min(time.monotonic() + limit, _case_deadline)
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise TestFailure(f"gave up after {limit:.0f} s waiting for {what}")
        time.sleep(step)


class Terminated(Exception):
    """CTest or a person stopped the test; raised from the signal handler so cleanup still runs."""


def _raise_terminated(signum, frame):
    raise Terminated(f"signal {signum}")


class WineSession:
    """A Wine prefix of this test's own, copied from the build's prefix, with everything started
    in it ended (wineserver -k) and the copy removed by close()."""

    def __init__(self, name, template_prefix, work_root):
        # CTest ends a test that runs too long with a signal: still end Wine and remove the prefix.
        signal.signal(signal.SIGTERM, _raise_terminated)
        signal.signal(signal.SIGINT, _raise_terminated)
        check("DISPLAY" in os.environ, "no X display: run through tests/xvfb/run_with_xvfb.sh")
        self.name = name
        self.folder = os.path.join(work_root, name)
        self.prefix = os.path.join(self.folder, "wineprefix")
        self.processes = []
        # What an earlier, killed run left behind goes first.
        if os.path.isdir(self.folder):
            self._end_wine()
            shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.env = dict(os.environ)
        # Wine's error messages go to each process's log, kept when the test fails.
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="err+all,fixme-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        # Wine links the user's shell folders into $HOME; keep them in this folder.
                        HOME=self.folder)
        self._copy_prefix(template_prefix)
        self.grabs = os.path.join(self.folder, "grabs")
        self.logs = os.path.join(self.folder, "logs")
        os.makedirs(self.grabs)
        os.makedirs(self.logs)
        self.grab_count = 0
        self.last_grab = None  # kept as last.png when the test fails

    def _copy_prefix(self, template):
        check(os.path.isfile(os.path.join(template, "system.reg")), f"no Wine prefix at {template} (wine_prefix fixture)")
        log(f"copying the Wine prefix {template}")
        # The build's prefix holds other tests' temporary folders; they are left out.
        tar = subprocess.run(f"cd '{template}' && tar --exclude='./drive_c/users/*/Temp/*' -cf - . | "
                             f"(mkdir -p '{self.prefix}' && cd '{self.prefix}' && tar -xf -)",
                             shell=True, capture_output=True, text=True)
        check(tar.returncode == 0, f"cannot copy the Wine prefix: {tar.stderr.strip()}")
        # Wine links Desktop and the other shell folders to the Unix home folder: make them real
        # folders of this prefix, so screenshots land here and nowhere else.
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in os.listdir(users):
            for entry in os.scandir(os.path.join(users, user)):
                if entry.is_symlink():
                    os.unlink(entry.path)
                    os.mkdir(entry.path)

    def windows_path(self, unix_path):
        """Z: is the Unix root in every Wine prefix."""
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def unix_path(self, windows_path):
        result = subprocess.run([WINE, "winepath", "-u", windows_path], env=self.env, capture_output=True,
                                text=True, timeout=POLL_LIMIT)
        check(result.returncode == 0, f"winepath -u {windows_path} failed")
        return result.stdout.strip()

    # ---- Wine processes -------------------------------------------------------------------------

    def start(self, program, *args, extra_env=None, stdout=None):
        """Starts a Windows program; its error output goes to a numbered log file."""
        env = dict(self.env)
        if extra_env:
            env.update(extra_env)
        words = [os.path.basename(program)] + [re.sub(r"[^A-Za-z0-9.]", "", arg) for arg in args[:1]]
        path = os.path.join(self.logs, f"{len(self.processes) + 1:02d}-{'-'.join(words)}.log")
        with open(path, "w") as log_file:
            process = subprocess.Popen([WINE, program, *args], env=env, stdout=stdout or log_file, stderr=log_file,
                                       text=True)
        self.processes.append(process)
        return process

    def run(self, program, *args, limit=POLL_LIMIT, extra_env=None):
        env = dict(self.env)
        if extra_env:
            env.update(extra_env)
        try:
            return subprocess.run([WINE, program, *args], env=env, capture_output=True, text=True, timeout=limit)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"{os.path.basename(program)} {' '.join(args)} did not end within {limit:.0f} s")

    def wait_exit(self, process, what, limit=POLL_LIMIT):
        """The exit status of a process that must end within the limit."""
        try:
            return process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"{what} did not end within {limit:.0f} s")

    def _end_wine(self):
        env = dict(os.environ, WINEPREFIX=self.prefix)
        subprocess.run([WINESERVER, "-k"], env=env, capture_output=True)
        try:
            subprocess.run([WINESERVER, "-w"], env=env, capture_output=True, timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def close(self, keep_grabs):
        if keep_grabs and self.last_grab:
            self.last_grab.save_png(os.path.join(self.grabs, "last.png"))
        # Every Wine process of this prefix, whoever started it, ends with its wineserver.
        if os.path.isdir(self.prefix):
            self._end_wine()
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        if not keep_grabs:
            shutil.rmtree(self.folder, ignore_errors=True)
            return
        # The prefix and the data are large; only the grabs and the logs stay.
        for entry in os.scandir(self.folder):
            if entry.name not in ("grabs", "logs"):
                shutil.rmtree(entry.path, ignore_errors=True) if entry.is_dir() else os.unlink(entry.path)

    # ---- Registry -------------------------------------------------------------------------------

    def set_registry(self, data_path, values, expand=False):
        """The data folder machine-wide (REG_EXPAND_SZ when expand, else REG_SZ) and the per-user
        values, replacing whatever was there; values None leaves the per-user key out."""
        if expand:
            data = ",".join(f"{byte:02x}" for byte in (data_path + "\0").encode("utf-16-le"))
            data_line = f'"DataPath"=hex(2):{data}'
        else:
            data_line = '"DataPath"="%s"' % data_path.replace("\\", "\\\\")
        lines = ["Windows Registry Editor Version 5.00", "",
                 "[-HKEY_CURRENT_USER\\Software\\Redsphere]", "",
                 "[HKEY_LOCAL_MACHINE\\Software\\Redsphere]", data_line, ""]
        if values is not None:
            lines.append("[HKEY_CURRENT_USER\\Software\\Redsphere\\Screensaver]")
            lines += ['"%s"=dword:%08x' % (name, value) for name, value in values.items()]
        path = os.path.join(self.folder, "settings.reg")
        # UTF-16 with its byte-order mark, as regedit writes it: other .reg files are read in the
        # ANSI code page, which would lose the letters of a data folder outside it.
        with open(path, "w", encoding="utf-16", newline="\r\n") as file:
            file.write("\n".join(lines) + "\n")
        result = self.run("reg", "import", self.windows_path(path))
        check(result.returncode == 0, f"reg import failed: {result.stdout}{result.stderr}")
        check(self.user_values() == (values or {}), "the registry does not hold the values just imported")

    def user_values(self):
        """The per-user values: {name: number} for REG_DWORDs, {name: (type, text)} for any other
        type; {} when the key is missing."""
        result = self.run("reg", "query", "HKCU\\Software\\Redsphere\\Screensaver")
        values = {}
        if result.returncode != 0:
            return values
        for line in result.stdout.splitlines():
            fields = line.split()
            if len(fields) == 3 and fields[1] == "REG_DWORD":
                values[fields[0]] = int(fields[2], 16)
            elif len(fields) >= 2 and fields[1].startswith("REG_"):
                values[fields[0]] = (fields[1], " ".join(fields[2:]))
        return values

    # ---- X input and screen ---------------------------------------------------------------------

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30)
        check(result.returncode == 0, f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")

    def grab(self, label=None):
        """The whole X screen as a Picture; kept as a PNG in the grabs folder when labelled."""
        result = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                                capture_output=True, timeout=60)
        check(result.returncode == 0, f"import failed: {result.stderr.decode(errors='replace').strip()}")
        picture = Picture.from_ppm(result.stdout)
        self.last_grab = picture
        if label:
            self.keep(picture, label)
        return picture

    def keep(self, picture, label):
        """Saves a picture as a numbered PNG in the grabs folder, for a person to look at."""
        self.grab_count += 1
        picture.save_png(os.path.join(self.grabs, f"{self.grab_count:02d}-{label}.png"))


def run_case(cases, args):
    """Runs cases[args.case] in a Wine session of its own (args.prefix, args.work) and ends the
    session; keeps the screen grabs when the case fails or args.keep_grabs asks. Returns the exit
    status."""
    session = WineSession(args.case, os.path.abspath(args.prefix), os.path.abspath(args.work))
    passed = False
    try:
        cases[args.case](session, args)
        passed = True
    except TestFailure as failure:
        log(f"FAILED: {failure}")
    finally:
        session.close(keep_grabs=args.keep_grabs or not passed)
    if args.keep_grabs or not passed:
        log(f"screen grabs kept in {session.grabs}, Wine's logs in {session.logs}")
    log("passed" if passed else "failed")
    return 0 if passed else 1
