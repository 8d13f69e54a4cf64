# End-to-end tests of the Windows setup, one case per CTest test (see CMakeLists.txt): the real
# redsphere-<version>-setup.exe under Wine on a private Xvfb screen, in a copy of the build's Wine
# prefix, judged by the files, registry values and screens it leaves, then its uninstaller likewise.
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time

# The source folder is no place for compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from e2e_pictures import Picture, difference, globe_measures, globe_shown  # noqa: E402
from e2e_session import WINESERVER, TestFailure, check, log, poll, program_lines, run_case  # noqa: E402
from saver_e2e import end_with_status, expect, watch  # noqa: E402

SYSTEM_SAVER = "C:\\windows\\system32\\redsphere.scr"
DATA_FOLDER = "C:\\ProgramData\\Redsphere"
DEFAULT_FOLDER = "C:\\Program Files\\Redsphere"
PRODUCT_KEY = "HKLM\\Software\\Redsphere"
SETTINGS_KEY = "HKCU\\Software\\Redsphere\\Screensaver"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Redsphere"
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
WINDOW_TITLE = "Redsphere {version} Setup"

# Building level 8 under Wine takes about 12 s on two cores; a whole setup run about 25 s.
SETUP_LIMIT = 180.0

# What a silent install leaves in the program folder, the sources as data/sources has them.
SOURCE_FILES = ["PROVENANCE.md", "SHA256SUMS", "mola/MEGT90N000CB.IMG", "mola/MEGT90N000CB.LBL",
                "viking/mars_viking_mdim21_colour_2880x1440.jpg", "stars/stars.txt", "stars/LICENSE-d3-celestial"]
SETUP_MARKER = "redsphere-setup.txt"
LEVEL_8_FILES = [SETUP_MARKER, "nodes8.hex", "areoid8.hex", "topo8.hex", "mars8.hex", "clouds8.hex", "sun.hex", "starsbr.hex",
                 "starsdim.hex", "redsphere-data.txt"]


# ---- Registry and files ----------------------------------------------------------------------------

REG_ROOTS = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}


def registry_values(session, key, value=None):
    """The values of a key as {name: (type, text)}; {} when the key (or the one value) is missing.
    Read from regedit's UTF-16 export: reg query prints through the ANSI code page, which loses
    the letters of a Cyrillic folder."""
    root, _, rest = key.partition("\\")
    section = REG_ROOTS[root] + "\\" + rest
    export = drive_path(session, "C:\\registry-export.reg")
    if os.path.exists(export):
        os.remove(export)
    session.run("regedit", "/E", "C:\\registry-export.reg", section)
    if not os.path.exists(export):
        return {}
    with open(export, encoding="utf-16") as file:
        lines = file.read().splitlines()
    os.remove(export)
    values, inside = {}, False
    for line in lines:
        if line.startswith("["):
            inside = line.lower() == f"[{section}]".lower()
        match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"=(.*)', line) if inside else None
        if match:
            name, data = re.sub(r"\\(.)", r"\1", match[1]), match[2]
            if data.startswith('"'):
                values[name] = ("REG_SZ", re.sub(r"\\(.)", r"\1", data[1:-1]))
            elif data.startswith("dword:"):
                values[name] = ("REG_DWORD", hex(int(data[6:], 16)))
            else:
                values[name] = ("REG_OTHER", data)
    return {name: found for name, found in values.items() if value is None or name == value}


def add_dword(session, key, name, value):
    result = session.run("reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")
    check(result.returncode == 0, f"reg add {key} {name} failed: {result.stdout}{result.stderr}")


def add_string(session, key, name, value):
    result = session.run("reg", "add", key, "/v", name, "/d", value, "/f")
    check(result.returncode == 0, f"reg add {key} {name} failed: {result.stdout}{result.stderr}")


def drive_path(session, windows_path):
    """A C: path inside this test's prefix, without asking Wine."""
    check(windows_path[:3].upper() == "C:\\", f"{windows_path} is not on C:")
    return os.path.join(session.prefix, "drive_c", *windows_path[3:].split("\\"))


def sha256(path):
    with open(path, "rb") as file:
        return hashlib.sha256(file.read()).hexdigest()


def folder_kb(path):
    return sum(os.path.getsize(os.path.join(root, name)) for root, _, names in os.walk(path) for name in names) / 1024


def ours_on_drive(session, allowed=()):
    """Every file or folder of drive C: whose name says Redsphere, but the allowed ones."""
    found = []
    for root, folders, names in os.walk(os.path.join(session.prefix, "drive_c")):
        found += [os.path.join(root, name) for name in folders + names if "redsphere" in name.lower()]
    return [path for path in found if path not in allowed]


def tree(path):
    """Every file under path with its bytes, by relative name."""
    files = {}
    for root, _, names in os.walk(path):
        for name in names:
            with open(os.path.join(root, name), "rb") as file:
                files[os.path.relpath(os.path.join(root, name), path)] = file.read()
    return files


def ours_in_registry_files(session, allowed_key):
    """Registry keys and values that name Redsphere in the prefix's saved registry (the
    wineserver writes it when it ends), outside allowed_key (a user.reg section name, or None)."""
    subprocess.run([WINESERVER, "-k"], env=session.env, capture_output=True)
    subprocess.run([WINESERVER, "-w"], env=session.env, capture_output=True, timeout=60)
    found = []
    for name in ("system.reg", "user.reg"):
        section = ""
        with open(os.path.join(session.prefix, name), encoding="utf-8", errors="replace") as file:
            for line in file:
                if line.startswith("["):
                    section = line[1:line.index("]")]
                allowed = name == "user.reg" and allowed_key is not None and section == allowed_key
                if "redsphere" in line.lower() and not allowed:
                    found.append(f"{name}: [{section}] {line.strip()}")
    return found


def windows_folder(session, variable):
    result = session.run("cmd", "/c", "echo", f"%{variable}%")
    check(result.returncode == 0 and "%" not in result.stdout, f"Wine has no {variable}")
    return result.stdout.strip()


# ---- Setup and uninstaller runs ---------------------------------------------------------------------

def run_setup(session, args, *options):
    started = time.monotonic()
    result = session.run(args.setup, *options, limit=SETUP_LIMIT)
    seconds = time.monotonic() - started
    check(result.returncode == 0, f"setup {' '.join(options)} ended with status {result.returncode}")
    log(f"setup {' '.join(options)}: {seconds:.1f} s under Wine")
    return seconds


def uninstall(session, *options):
    """Runs the uninstaller as Add/Remove Programs would, from QuietUninstallString. NSIS's
    uninstaller copies itself to the temporary folder and returns at once; the copy's last step
    removes the program folder, which is waited for."""
    entry = registry_values(session, UNINSTALL_KEY)
    check("QuietUninstallString" in entry and "InstallLocation" in entry, "the Add/Remove entry is incomplete")
    command = entry["QuietUninstallString"][1]
    check(command.startswith('"') and command.endswith('" /S'), f"QuietUninstallString is {command}")
    program = command[1:command.index('"', 1)]
    folder = drive_path(session, entry["InstallLocation"][1])
    started = time.monotonic()
    result = session.run(program, "/S", *options)
    check(result.returncode == 0, f"the uninstaller ended with status {result.returncode}")
    poll("the uninstaller to remove the program folder", lambda: not os.path.exists(folder), limit=120)
    seconds = time.monotonic() - started
    log(f"uninstall /S {' '.join(options)}: {seconds:.1f} s under Wine")
    return seconds


# ---- What an install leaves ---------------------------------------------------------------------------

def check_installed(session, args, folder, level_16=False):
    """The saver, the builder and its sources, the README, the uninstaller, the level-8 data (and
    level 16's when asked for, only then) and the registry entries of an install into folder."""
    check(sha256(drive_path(session, SYSTEM_SAVER)) == sha256(args.scr), "System32 holds another redsphere.scr")
    program = drive_path(session, folder)
    for name, built in (("redsphere-mkdata.exe", args.mkdata), ("README.md", args.readme)):
        check(sha256(os.path.join(program, name)) == sha256(built), f"{name} in {folder} is not the built one")
    check(os.path.isfile(os.path.join(program, "uninstall.exe")), f"no uninstall.exe in {folder}")
    for name in SOURCE_FILES:
        path = os.path.join(program, "sources", *name.split("/"))
        check(os.path.isfile(path) and sha256(path) == sha256(os.path.join(args.sources, name)),
              f"sources\\{name} in {folder} is missing or differs")
    data = drive_path(session, DATA_FOLDER)
    for name in LEVEL_8_FILES:
        check(os.path.isfile(os.path.join(data, name)), f"{DATA_FOLDER} has no {name}")
    with open(os.path.join(data, "redsphere-data.txt")) as file:
        check("MOLA MEGDR" in file.read(), "the data set is not made from the bundled sources")
    with open(os.path.join(data, SETUP_MARKER)) as file:
        check(file.read().startswith("This folder was made by the Redsphere setup"), f"{SETUP_MARKER} says otherwise")
    for name in ("nodes16.hex", "topo16.hex", "clouds16.hex"):
        check(os.path.isfile(os.path.join(data, name)) == level_16,
              f"{DATA_FOLDER}\\{name} is {'missing' if level_16 else 'there without level 16 chosen'}")
    check(not os.path.exists(os.path.join(data, "nodes32.hex")), "level 32 was built without being chosen")

    product = registry_values(session, PRODUCT_KEY)
    check(product == {"DataPath": ("REG_SZ", DATA_FOLDER)}, f"{PRODUCT_KEY} holds {product}")
    entry = registry_values(session, UNINSTALL_KEY)
    quoted = f'"{folder}\\uninstall.exe"'
    expected = {"DisplayName": ("REG_SZ", "Redsphere"), "DisplayVersion": ("REG_SZ", args.version),
                "Publisher": ("REG_SZ", "Redsphere developers"), "DisplayIcon": ("REG_SZ", SYSTEM_SAVER + ",0"),
                "InstallLocation": ("REG_SZ", folder), "UninstallString": ("REG_SZ", quoted),
                "QuietUninstallString": ("REG_SZ", quoted + " /S"),
                "NoModify": ("REG_DWORD", "0x1"), "NoRepair": ("REG_DWORD", "0x1")}
    for name, value in expected.items():
        check(entry.get(name) == value, f"Add/Remove {name} is {entry.get(name)}, expected {value}")
    # The saver, the program folder and the data as built (the saver's caches come later).
    size = int(entry.get("EstimatedSize", ("", "0"))[1], 16)
    on_disk = folder_kb(program) + folder_kb(data) + os.path.getsize(args.scr) / 1024
    check(abs(size - on_disk) < 0.05 * on_disk, f"EstimatedSize {size} KB, on disk {on_disk:.0f} KB")
    log(f"installed into {folder}: files, DataPath and the Add/Remove entry ({size} KB) as expected")


def check_removed(session, kept_settings, kept_saver_choice, kept_data=None):
    """Nothing of ours on drive C: or in the registry but the settings and a screen saver choice
    that is not ours, when given, and the data folder when it keeps the user's files kept_data
    (their names and bytes), and only them."""
    data = drive_path(session, DATA_FOLDER)
    if kept_data:
        check(tree(data) == kept_data, f"{DATA_FOLDER} holds {sorted(tree(data))}, expected {sorted(kept_data)}")
    left = ours_on_drive(session, [data] if kept_data else [])
    check(not left, f"left after uninstalling: {left}")
    check(registry_values(session, SETTINGS_KEY) == kept_settings,
          f"the settings are {registry_values(session, SETTINGS_KEY)} after uninstalling, expected {kept_settings}")
    choice = registry_values(session, DESKTOP_KEY, "SCRNSAVE.EXE")
    expected_choice = {"SCRNSAVE.EXE": ("REG_SZ", kept_saver_choice)} if kept_saver_choice else {}
    check(choice == expected_choice, f"the screen saver choice is {choice}, expected {expected_choice}")
    found = ours_in_registry_files(session, "Software\\\\Redsphere\\\\Screensaver" if kept_settings else None)
    check(not found, "the registry still names Redsphere: " + "; ".join(found))
    log("nothing of ours is left" + (", the settings stay" if kept_settings else ", the settings too are gone"))


# ---- The installed saver ----------------------------------------------------------------------------

def check_saver(session, args):
    """The installed saver, started from System32: /s shows the real globe, /c its dialog with the
    installed level listed and the stored values."""
    log(f"starting {SYSTEM_SAVER} /s")
    saver = session.start(args.helper, "run", SYSTEM_SAVER, "/s")
    globe = watch(session, saver, "the globe", globe_shown, label="installed-globe")
    planet, away = globe_measures(globe)
    log(f"globe: {planet:.2f} of the middle planet-coloured, {away:.3f} of the sky around it dark")
    globe.save_png(os.path.join(args.out, "setup_saver.png"))
    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the installed saver ended by a key", 0)

    saver = session.start(args.helper, "run", SYSTEM_SAVER, "/c")
    result = session.run(args.helper, "dialog", "dump", "cancel")
    check(result.returncode == 0, f"driving the dialog failed ({result.returncode}): {result.stderr.strip()}")
    end_with_status(session, saver, "/c", 0)
    states = [dict(field.split("=", 1) for field in line.split()[1:])
              for line in result.stdout.splitlines() if line.startswith("state ")]
    check(len(states) == 1, f"expected one dialog state, got {len(states)}")
    expect(states[0], "the installed saver's dialog", resolution__items="8", relief__pos=3, terra_no__checked=1)
    log("/c: the dialog lists the installed level and shows the stored values")


# ---- Cases ---------------------------------------------------------------------------------------------

def case_silent(session, args):
    """/S /D= into a Cyrillic folder installs everything and chooses no screen saver; the installed
    saver runs; a second /S /SETSAVER /LEVEL16 upgrades in place, keeps a changed setting and the
    user's files in the data folder, chooses the saver and adds level 16; the quiet uninstaller
    removes everything but the settings, the user's screenshots and the user's files in the data
    folder, which stays with just them."""
    settings = {"ReliefExFactor": 3, "TerraformMode": 0}
    for name, value in settings.items():
        add_dword(session, SETTINGS_KEY, name, value)
    # NOTE: Wine quotes an argument with blanks when it makes the command line, and NSIS takes /D=
    # only unquoted: this folder has none (the default one, used by the other case, has).
    folder = "C:\\Программы\\Redsphere"
    install_time = run_setup(session, args, "/S", f"/D={folder}")
    check_installed(session, args, folder)
    check(registry_values(session, DESKTOP_KEY, "SCRNSAVE.EXE") == {}, "a silent install chose the screen saver")
    check_saver(session, args)

    # What the saver and the user leave before the upgrade: caches and a log of the user's own, a
    # screenshot, a changed setting.
    local = session.unix_path(windows_folder(session, "LOCALAPPDATA"))
    os.makedirs(os.path.join(local, "Redsphere", "cache"))
    for name in ("cache/terra8.hex", "cache/sea8.hex", "redsphere.log"):
        with open(os.path.join(local, "Redsphere", *name.split("/")), "wb") as file:
            file.write(b"\0" * 64)
    desktop = session.unix_path(session.run(args.helper, "desktop").stdout.strip())
    screenshot = os.path.join(desktop, "Screenshot 01.bmp")
    with open(screenshot, "wb") as file:
        file.write(b"BM" + b"\0" * 64)
    settings["ReliefExFactor"] = 7
    add_dword(session, SETTINGS_KEY, "ReliefExFactor", 7)
    # Users may keep files of their own beside the data; the saver's derived caches and a write
    # the saver did not finish (the highest level the program reads) are ours.
    data = drive_path(session, DATA_FOLDER)
    # Names close to ours that the program never writes (a leading zero, no writer's id) are theirs.
    users = {"my-notes.txt": b"Olympus Mons, 21.9 km\r\n", os.path.join("imports", "mine.txt"): b"mine",
             "nodes08.hex": b"mine", ".my-notes.txt.old.tmp": b"mine"}
    for name, text in users.items():
        os.makedirs(os.path.dirname(os.path.join(data, name)), exist_ok=True)
        with open(os.path.join(data, name), "wb") as file:
            file.write(text)
    for name in ("terra1024.hex", ".sea8.hex.4242-7.tmp", ".redsphere-data.txt.4242-8.tmp"):
        with open(os.path.join(data, name), "wb") as file:
            file.write(b"\0" * 64)

    run_setup(session, args, "/S", "/SETSAVER", "/LEVEL16")
    check_installed(session, args, folder, level_16=True)
    check(not os.path.exists(drive_path(session, DEFAULT_FOLDER)), "the upgrade went to the default folder")
    values = session.user_values()
    check(values == settings, f"the upgrade changed the settings to {values}")
    choice = registry_values(session, DESKTOP_KEY, "SCRNSAVE.EXE")
    check(choice == {"SCRNSAVE.EXE": ("REG_SZ", SYSTEM_SAVER)}, f"/SETSAVER chose {choice}")
    log("the upgrade stayed in its folder, kept the settings and chose the saver")

    uninstall_time = uninstall(session)
    check(os.path.isfile(screenshot), "the uninstaller removed a screenshot")
    check_removed(session, {name: ("REG_DWORD", f"0x{value:x}") for name, value in settings.items()}, None, users)
    log(f"times under Wine: install {install_time:.1f} s, uninstall {uninstall_time:.1f} s")


def window_box(session, title):
    """The installer window's place on the screen, (left, top, right, bottom)."""
    def find():
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title)],
                                capture_output=True, text=True)
        return result.stdout.split()[:1]
    window = poll(f'the window "{title}"', find)[0]
    result = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True, text=True)
    geometry = dict(line.split("=", 1) for line in result.stdout.split())
    left, top = int(geometry["X"]), int(geometry["Y"])
    return left, top, left + int(geometry["WIDTH"]), top + int(geometry["HEIGHT"])


def crop(picture, box):
    left, top, right, bottom = box
    rows = [picture.rgb[3 * (picture.width * y + left):3 * (picture.width * y + right)] for y in range(top, bottom)]
    return Picture(right - left, bottom - top, b"".join(rows))


def shows_window(picture, box):
    """The installer's light grey face where the window is, on Xvfb's black screen."""
    return crop(picture, box).fraction(lambda r, g, b: min(r, g, b) >= 200, step=4) > 0.5


# A page counts as drawn once two grabs in a row differ in fewer of its pixels than this: a
# caret's blink, no more.
SETTLED_SHARE = 0.002


def settled_page(session, box, what, unlike=None):
    """The setup window's picture once its page is drawn (and, given unlike, is another page):
    however long a busy machine takes to paint it."""
    previous = [None]

    def probe():
        picture = crop(session.grab(), box)
        still = previous[0] is not None and difference(previous[0], picture, step=1, tolerance=8) < SETTLED_SHARE
        previous[0] = picture
        other = unlike is None or difference(unlike, picture, step=1, tolerance=8) > SETTLED_SHARE
        return picture if still and other else None
    return poll(what, probe)


def refuse_planted_folders(session, args):
    """A data folder that every user may write to, and a link in its place (Wine shows a Unix
    symbolic link as a reparse point), made before the setup: each is refused with status 2 and
    nothing is written into it, by the setup or by its builder run alone."""
    data = drive_path(session, DATA_FOLDER)
    elsewhere = drive_path(session, "C:\\Elsewhere")
    os.makedirs(elsewhere)
    for what in ("a folder all users may change", "a link to another folder"):
        if what.startswith("a link"):
            os.rmdir(data)
            os.symlink(elsewhere, data)
        else:
            os.makedirs(data)
            os.chmod(data, 0o777)
        result = session.run(args.setup, "/S", limit=SETUP_LIMIT)
        check(result.returncode == 2, f"the setup took {what} with status {result.returncode}")
        builder = session.run(drive_path(session, DEFAULT_FOLDER + "\\redsphere-mkdata.exe"), "--setup-folder", DATA_FOLDER)
        lines = program_lines(builder.stderr)
        check(builder.returncode == 2 and len(lines) == 1 and lines[0].startswith(
            f"redsphere-mkdata: refusing the data folder {DATA_FOLDER}: "), f"the builder said {builder.stderr!r}")
        check(os.listdir(data) == [] and os.listdir(elsewhere) == [], f"something was written into {what}")
        check(registry_values(session, PRODUCT_KEY) == {}, f"DataPath was set to {what}")
        log(f"refused {what}: {lines[0]}")
    os.remove(data)
    os.rmdir(elsewhere)


def keep_hand_set_data_path(session, args):
    """A DataPath an administrator set by hand survives a silent upgrade, and that folder is not
    written to; the setup's own folder is left as it was."""
    by_hand = "C:\\MarsByHand"
    folder = drive_path(session, by_hand)
    os.makedirs(folder)
    own = drive_path(session, DATA_FOLDER)
    shutil.copy(os.path.join(own, "nodes8.hex"), folder)
    with open(os.path.join(folder, "where-from.txt"), "w") as file:
        file.write("copied by the administrator\n")
    before, own_before = tree(folder), tree(own)
    add_string(session, PRODUCT_KEY, "DataPath", by_hand)
    run_setup(session, args, "/S", "/LEVEL16")
    product = registry_values(session, PRODUCT_KEY)
    check(product == {"DataPath": ("REG_SZ", by_hand)}, f"the upgrade left {PRODUCT_KEY} as {product}")
    check(tree(folder) == before, f"the upgrade changed {by_hand}")
    check(tree(own) == own_before, f"the upgrade changed {DATA_FOLDER} while DataPath names {by_hand}")
    log(f"the upgrade kept DataPath {by_hand} and wrote nothing into it")
    return folder, before


def case_interactive(session, args):
    """Planted data folders are refused first. Then run by hand: the components page, then the
    folder page, with Enter; the install chooses the screen saver; a silent upgrade keeps a
    DataPath set by hand; the quiet uninstaller with /REMOVESETTINGS also removes the settings
    but leaves a screen saver choice that is no longer ours and the hand-set data folder."""
    refuse_planted_folders(session, args)
    add_dword(session, SETTINGS_KEY, "ReliefExFactor", 3)
    started = time.monotonic()
    setup = session.start(args.setup)
    box = window_box(session, WINDOW_TITLE.format(version=args.version))
    poll("the components page", lambda: shows_window(session.grab(), box))
    components = settled_page(session, box, "the components page to be drawn")
    session.keep(session.last_grab, "components")
    components.save_png(os.path.join(args.out, "setup_components.png"))
    session.xdotool("key", "Return")
    # The second Enter only once the folder page shows, so that it is the one that starts.
    settled_page(session, box, "the folder page to be drawn", unlike=components)
    session.keep(session.last_grab, "folder")
    session.xdotool("key", "Return")

    # The progress lines of the level show in the window while it is built.
    data = drive_path(session, DATA_FOLDER)
    poll("the level being built", lambda: os.path.isdir(data) and any(
        name.startswith(".topo8.hex.") or name == "topo8.hex" for name in os.listdir(data)),
        limit=SETUP_LIMIT, step=0.1)
    time.sleep(1.5)
    crop(session.grab(), box).save_png(os.path.join(args.out, "setup_progress.png"))

    # Enter on the finish page ends the setup; until it shows, Enter finds no enabled button.
    def finished():
        if setup.poll() is not None:
            return True
        session.xdotool("key", "Return")
        return False
    poll("the setup to finish", finished, limit=SETUP_LIMIT, step=2.0)
    check(setup.returncode == 0, f"the setup ended with status {setup.returncode}")
    log(f"interactive setup: {time.monotonic() - started:.1f} s under Wine")
    check_installed(session, args, DEFAULT_FOLDER)
    choice = registry_values(session, DESKTOP_KEY, "SCRNSAVE.EXE")
    check(choice == {"SCRNSAVE.EXE": ("REG_SZ", SYSTEM_SAVER)}, f"the interactive setup chose {choice}")

    by_hand, by_hand_files = keep_hand_set_data_path(session, args)
    other = "C:\\windows\\system32\\other.scr"
    add_string(session, DESKTOP_KEY, "SCRNSAVE.EXE", other)
    uninstall(session, "/REMOVESETTINGS")
    check(tree(by_hand) == by_hand_files, "the uninstaller changed the data folder set by hand")
    check_removed(session, {}, other)


CASES = {"silent": case_silent, "interactive": case_interactive}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--setup", required=True, help="redsphere-VERSION-setup.exe")
    parser.add_argument("--version", required=True, help="the version the setup installs")
    parser.add_argument("--scr", required=True, help="the built redsphere.scr the setup holds")
    parser.add_argument("--mkdata", required=True, help="the built redsphere-mkdata.exe the setup holds")
    parser.add_argument("--sources", required=True, help="data/sources")
    parser.add_argument("--readme", required=True, help="README.md")
    parser.add_argument("--helper", required=True, help="saver_e2e_helper.exe")
    parser.add_argument("--prefix", required=True, help="the build's Wine prefix, copied for each test")
    parser.add_argument("--work", required=True, help="folder for each test's prefix and grabs")
    parser.add_argument("--out", required=True, help="folder for the screen grabs the README shows")
    parser.add_argument("--keep-grabs", action="store_true", help="keep the screen grabs of a passing run too")
    args = parser.parse_args()
    for name in ("setup", "scr", "mkdata", "sources", "readme", "helper"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    os.makedirs(args.out, exist_ok=True)

    return run_case(CASES, args)


if __name__ == "__main__":
    sys.exit(main())
