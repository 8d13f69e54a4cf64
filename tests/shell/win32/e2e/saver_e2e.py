# End-to-end tests of redsphere.scr, one case per CTest test (see CMakeLists.txt): the real program
# under Wine on a private Xvfb screen with its own data folder and registry values, driven by
# xdotool and judged by screen grabs, the files and clipboard it leaves, and its exit status.
import argparse
import os
import re
import struct
import subprocess
import sys
import time

# The source folder is no place for compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from e2e_pictures import (Picture, centre_box, difference, drawing_measures, frame_box, globe_box,  # noqa: E402
                          globe_measures, globe_shown, help_frame, help_match, lit_pixels, loading_shown,
                          scene_shown, sea_share, surface_shift)
from e2e_session import TestFailure, check, log, poll, program_lines, run_case  # noqa: E402

# The twelve per-user values at their defaults.
DEFAULTS = dict(Shadows=1, Atmosphere=1, Clouds=1, AutoControl=1, MaxPPD=8, ReliefExFactor=10, SunPos=4,
                TerraformMode=2, TerraformPeriod=1, ShowFrameRate=0, AdaptQuality=1, Monitors=0)


# ---- Steps shared by the cases ---------------------------------------------------------------------

# Data sets the helper writes: a level and the node count of the equator's row. Level 8 at 2,880
# nodes (as dense as real level-8 data) loads in well under a second; level 32 at the same density
# takes the loader a few seconds (its sea image is 8192 x 4096), long enough for "Loading..." to
# be seen every time. Level 32 has no cloud file here, so runs with it switch clouds off.
LEVEL_8 = (8, 2880)
LEVEL_32 = (32, 2880)


def write_data(session, args, data_set=LEVEL_8, listed_levels=()):
    """The helper's data folder (with node files of further levels for the level list only);
    returns its Windows path."""
    level, widest = data_set
    folder = os.path.join(session.folder, "data")
    result = session.run(args.helper, "data", session.windows_path(folder), str(level), str(widest),
                         *[str(listed) for listed in listed_levels])
    check(result.returncode == 0, f"the helper could not write the data folder: {result.stderr.strip()}")
    check(os.path.isfile(os.path.join(folder, f"nodes{level}.hex")), f"the data folder has no level-{level} nodes")
    log(f"wrote a level-{level} data folder")
    return session.windows_path(folder)


def start_saver(session, args, *saver_args, extra_env=None):
    """redsphere.scr started by the helper, whose exit status is the saver's exit code."""
    log(f"starting redsphere.scr {' '.join(saver_args)}")
    return session.start(args.helper, "run", session.windows_path(args.scr), *saver_args, extra_env=extra_env)


def running(saver, what):
    code = saver.poll()
    if code is not None:
        raise TestFailure(f"the saver ended (status {code}) {what}")


def watch(session, saver, what, test, label=None, **limits):
    """Polls screen grabs until test(grab) holds, failing at once if the saver ends meanwhile."""
    def probe():
        running(saver, f"while waiting for {what}")
        picture = session.grab()
        return picture if test(picture) else None
    picture = poll(what, probe, **limits)
    if label:
        session.keep(picture, label)
    log(f"seen: {what}")
    return picture


def end_with_status(session, saver, what, expected):
    code = session.wait_exit(saver, what)
    check(code == expected, f"{what}: exit status {code}, expected {expected}")
    log(f"{what}: exit status {code}")


def bmp_row_size(width):
    return (width * 3 + 3) & ~3


def expected_info_header(width, height):
    """The 40-byte header of the saver's 24-bit bitmaps: bottom-up rows, BI_RGB, no resolution."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, bmp_row_size(width) * height, 0, 0, 0, 0)


def check_frame(picture, grab, what):
    """A saved frame shows what the screen shows, with its rows in the right order."""
    box = centre_box(grab, grab.height * 3 // 8, grab.height * 3 // 8)
    same = difference(picture, grab, box)
    upside_down = difference(picture.flipped(), grab, box)
    log(f"{what}: {same:.3f} of the globe's pixels differ from the screen, {upside_down:.3f} when flipped")
    check(same < 0.05, f"{what} does not show the frame on the screen ({same:.2f} of the pixels differ)")
    check(upside_down > same + 0.1, f"{what} cannot be told from its upside-down image")


def read_clipboard_dib(session, args, saver):
    """Polls the clipboard for the CF_DIB that Print Screen leaves; returns its bytes."""
    path = os.path.join(session.folder, "clipboard.dib")

    def probe():
        running(saver, "after Print Screen")
        result = session.run(args.helper, "clipboard", session.windows_path(path))
        check(result.returncode in (0, 3), f"the helper could not read the clipboard: {result.stderr.strip()}")
        return result.returncode == 0
    poll("a CF_DIB on the clipboard", probe)
    with open(path, "rb") as file:
        return file.read()


def check_dib_header(dib, width, height):
    image_size = bmp_row_size(width) * height
    check(len(dib) >= 40 + image_size, f"the CF_DIB holds {len(dib)} bytes, fewer than 40 + {image_size}")
    header = expected_info_header(width, height)
    check(dib[:40] == header, f"CF_DIB header {dib[:40].hex()} instead of {header.hex()}")
    log(f"CF_DIB: {len(dib)} bytes, header as expected for {width} x {height}")


# ---- Automatic flyby ------------------------------------------------------------------------------

def case_flyby(session, args):
    """/s in automatic mode: "Loading..." then the globe; the mouse does not end it during loading,
    Print Screen leaves it running with the frame on the clipboard, a second /s ends at once, and
    a mouse move once the scene has run a while ends it with status 0."""
    # Level 32 loads for a few seconds: "Loading..." can be seen and the mouse moved meanwhile.
    data = write_data(session, args, LEVEL_32)
    session.set_registry(data, dict(DEFAULTS, AutoControl=1, TerraformMode=0, Clouds=0, MaxPPD=32))
    saver = start_saver(session, args, "/s")

    watch(session, saver, '"Loading..."', loading_shown, label="loading", step=0.05)
    # Moves during loading (and the first second of the scene) must not end the flyby. The grace
    # second counts frame time from the first globe frame, so a move while "Loading..." shows is
    # the one that needs no timing to be inside it.
    session.xdotool("mousemove", "40", "40")
    session.xdotool("mousemove", "200", "150")
    still_loading = loading_shown(session.grab())
    log("the mouse moved while loading" + (", which was still on the screen after the moves" if still_loading else
                                            "; the globe came up just before the check after the moves"))

    globe = watch(session, saver, "the globe", globe_shown, label="globe")
    planet, away = globe_measures(globe)
    log(f"globe: {planet:.2f} of the middle planet-coloured, {away:.3f} of the sky around it dark")
    globe.save_png(os.path.join(args.out, "saver.png"))
    log(f"wrote {os.path.join(args.out, 'saver.png')}")
    running(saver, "after the mouse moved during loading")

    # Print Screen: the saver goes on, the frame is on the clipboard.
    session.xdotool("key", "Print")
    dib = read_clipboard_dib(session, args, saver)
    check_dib_header(dib, globe.width, globe.height)
    planet, away = globe_measures(Picture.from_dib(dib))
    check(planet > 0.5 and away > 0.98, f"the CF_DIB shows no globe (planet {planet:.2f}, dark sky {away:.2f})")
    running(saver, "after Print Screen")

    # A second full-screen start while one runs ends at once and leaves the first alone. (The
    # flyby may have carried the camera towards the night side by now: the globe is only asked to
    # be there, not lit.)
    second = start_saver(session, args, "/s")
    end_with_status(session, second, "a second /s", 0)
    running(saver, "when a second /s was started")
    after = session.grab("after-second")
    check(scene_shown(after) and not loading_shown(after), "the globe is gone after a second /s")

    # Well past the first second of the scene, moving the mouse ends the saver.
    corners = [("60", "60"), (str(globe.width - 60), str(globe.height - 60))]
    moves = [0]

    def moved_and_ended():
        if saver.poll() is not None:
            return True
        session.xdotool("mousemove", *corners[moves[0] % 2])
        moves[0] += 1
        return False
    poll("the saver to end on mouse movement", moved_and_ended, step=0.5)
    end_with_status(session, saver, "the flyby ended by the mouse", 0)


# ---- Manual control -------------------------------------------------------------------------------

def screenshot_file(desktop, number):
    return os.path.join(desktop, f"Screenshot {number:02d}.bmp")


def check_screenshot_file(path, grab):
    width, height = grab.width, grab.height
    image_size = bmp_row_size(width) * height
    expected_size = 54 + image_size
    with open(path, "rb") as file:
        data = file.read()
    check(len(data) == expected_size, f"{os.path.basename(path)} has {len(data)} bytes, expected {expected_size}")
    file_header = b"BM" + struct.pack("<IHHI", expected_size, 0, 0, 54)
    check(data[:14] == file_header, f"file header {data[:14].hex()} instead of {file_header.hex()}")
    check(data[14:54] == expected_info_header(width, height), f"bitmap header {data[14:54].hex()} is wrong")
    check_frame(Picture.from_dib(data[14:]), grab, os.path.basename(path))


def desktop_folder(session, args):
    result = session.run(args.helper, "desktop")
    check(result.returncode == 0, "SHGetFolderPath found no desktop folder")
    folder = session.unix_path(result.stdout.strip())
    check(os.path.realpath(folder).startswith(os.path.realpath(session.prefix) + os.sep),
          f"the desktop folder {folder} is outside this test's Wine prefix")
    return folder


# Arrow keys and the way the globe's face must move on the screen while one is held: moving left
# carries the camera west, so the surface slides right (+x); moving up slides it down (+y).
ARROWS = [("Left", True, 1), ("Right", True, -1), ("Up", False, 1), ("Down", False, -1)]
SHIFT_STEP = 20   # pixels between two grabs that count as the key's motion (about 50 a second)
# Standing still allows for the slow drift of the manual view, which turns with the sun at half a
# degree a second: about 2 pixels a second in the middle of the globe.
STILL_PIXELS = 4
STILL_PIXELS_PER_SECOND = 4


def hold_key(session, saver, key, horizontal, sign):
    """Holds an arrow key until two successive grabs show the face moving its way, releases it and
    waits until the face stands still again."""
    axis = "x" if horizontal else "y"
    session.xdotool("keydown", key)
    try:
        previous = [session.grab()]

        def moving():
            running(saver, f"while {key} was held")
            picture = session.grab()
            shift = surface_shift(previous[0], picture, horizontal)
            previous[0] = picture
            return sign * shift >= SHIFT_STEP
        poll(f"the globe's face to move along {'+' if sign > 0 else '-'}{axis} with {key} held", moving)
    finally:
        session.xdotool("keyup", key)
    log(f"{key} moves the globe's face along {'+' if sign > 0 else '-'}{axis}")

    previous = [session.grab(), time.monotonic()]

    def still():
        running(saver, f"after {key} was released")
        time.sleep(1.0)
        picture, now = session.grab(), time.monotonic()
        shifts = surface_shift(previous[0], picture, True), surface_shift(previous[0], picture, False)
        allowed = STILL_PIXELS + STILL_PIXELS_PER_SECOND * (now - previous[1])
        previous[:] = [picture, now]
        return max(abs(value) for value in shifts) <= allowed
    poll(f"the globe's face to stop once {key} was released", still)


def case_manual(session, args):
    """/s in manual mode: F2 writes numbered screenshots to the desktop, Print Screen copies the
    frame, F1 shows the help at its place and Esc hides it, Space brings the sea in, arrow keys
    move the view while held, and Esc with the help hidden ends the saver."""
    data = write_data(session, args)
    # No clouds and no automatic terraforming, so only Space changes the look of the globe.
    session.set_registry(data, dict(DEFAULTS, AutoControl=0, TerraformMode=0, Clouds=0))
    desktop = desktop_folder(session, args)
    check(not os.path.exists(screenshot_file(desktop, 1)), "a screenshot exists before the saver ran")

    saver = start_saver(session, args, "/s")
    first = watch(session, saver, "the globe", globe_shown, label="manual-globe")

    # F2 twice: two numbered files of the frame on the desktop.
    size = 54 + bmp_row_size(first.width) * first.height
    for number in (1, 2):
        session.xdotool("key", "F2")
        path = screenshot_file(desktop, number)
        poll(f'"{os.path.basename(path)}" of {size} bytes',
             lambda: os.path.isfile(path) and os.path.getsize(path) == size)
        running(saver, "after F2")
        check_screenshot_file(path, session.grab())
        log(f"{path}: {size} bytes, headers and pixels as on the screen")
    names = sorted(name for name in os.listdir(desktop) if name.startswith("Screenshot"))
    check(names == ["Screenshot 01.bmp", "Screenshot 02.bmp"], f"the desktop holds {names}")

    # Print Screen in manual mode: the frame on the clipboard, as on the screen.
    session.xdotool("key", "Print")
    dib = read_clipboard_dib(session, args, saver)
    check_dib_header(dib, first.width, first.height)
    check_frame(Picture.from_dib(dib), session.grab(), "the CF_DIB")
    running(saver, "after Print Screen")

    # F1: the help picture at its place over the globe; Esc hides it and the saver goes on.
    help_picture = Picture.from_file(os.path.join(args.pictures, "help.bmp"))
    check(help_match(session.grab(), help_picture) < 0.5, "the help picture shows before F1")
    session.xdotool("key", "F1")
    shown = watch(session, saver, "the help picture", lambda picture: help_match(picture, help_picture) > 0.9,
                  label="help")
    log(f"help: {help_match(shown, help_picture):.3f} of its frame and lettering in place")
    session.xdotool("key", "Escape")
    watch(session, saver, "the help picture to go", lambda picture: help_match(picture, help_picture) < 0.3)

    # Space: the terraformed look, with the sea coming in over the low land: the basin near the
    # middle floods, the high land around it does not.
    plain = session.grab()
    check(sea_share(plain) < 0.01, f"the globe shows sea before Space ({sea_share(plain):.2f})")
    session.xdotool("key", "space")
    sea = watch(session, saver, "the sea", lambda picture: sea_share(picture) > 0.05, label="sea")
    share = sea_share(sea)
    log(f"sea: {share:.2f} of the globe's face")
    check(share < 0.6, f"the sea covers {share:.2f} of the globe's face, high land included")

    for key, horizontal, sign in ARROWS:
        hold_key(session, saver, key, horizontal, sign)

    # Esc with the help hidden ends the saver.
    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the saver ended by Esc", 0)


# ---- Loading failures -----------------------------------------------------------------------------

def failure_log_path(session, user):
    return os.path.join(session.prefix, "drive_c", "users", user, "AppData", "Local", "Redsphere", "redsphere.log")


def failure_log(session, user=None):
    """The lines of the saver's failure log in the local application data of the user named, else
    of the first user of the prefix that has one."""
    users = os.path.join(session.prefix, "drive_c", "users")
    for user in [user] if user else sorted(os.listdir(users)):
        path = failure_log_path(session, user)
        if os.path.isfile(path):
            with open(path, encoding="utf-8") as log_file:
                return log_file.read().splitlines()
    return []


def clear_failure_log(session, user):
    """Starts the user's failure log afresh, so a check judges the next run's lines alone (an
    earlier run on a loaded machine may have logged its adaptive quality's steps)."""
    path = failure_log_path(session, user)
    if os.path.isfile(path):
        os.remove(path)


def case_missing_data(session, args):
    """A data folder that is missing ends the saver with status 1; a folder whose data fails late
    in loading does so after "Loading..." was on the screen. Each failure leaves its reason in the
    user's redsphere.log."""
    session.set_registry(session.windows_path(os.path.join(session.folder, "no-such-folder")),
                         dict(DEFAULTS, AutoControl=1))
    saver = start_saver(session, args, "/s")
    end_with_status(session, saver, "/s with a missing data folder", 1)
    lines = failure_log(session)
    check(len(lines) == 1 and "redsphere: data folder " in lines[0] and "no-such-folder: it does not exist" in lines[0],
          f"the log after a missing data folder: {lines}")
    log(f"logged: {lines[-1]}")

    # The sun image is read after the terraformed colours and the sea image are derived, which
    # takes level 32 a few seconds.
    data = write_data(session, args, LEVEL_32)
    os.unlink(os.path.join(session.folder, "data", "sun.hex"))
    session.set_registry(data, dict(DEFAULTS, AutoControl=1, Clouds=0, MaxPPD=32))
    saver = start_saver(session, args, "/s")
    watch(session, saver, '"Loading..." with the sun image missing', loading_shown, label="loading", step=0.05)
    end_with_status(session, saver, "/s with the sun image missing", 1)
    lines = failure_log(session)
    check(len(lines) == 2 and "redsphere: sun.hex in " in lines[1] and "cannot open it" in lines[1],
          f"the log after a missing sun image: {lines}")
    log(f"logged: {lines[-1]}")


# ---- Power ----------------------------------------------------------------------------------------

def in_prefix(pid, prefix):
    """Whether a Unix process runs in this Wine prefix (Wine keeps WINEPREFIX in its environment):
    another saver on the machine, a soak run's say, is not this case's."""
    try:
        with open(f"/proc/{pid}/environ", "rb") as environ:
            return f"WINEPREFIX={prefix}".encode() in environ.read().split(b"\0")
    except OSError:
        return False


def saver_cpu_seconds(session):
    """Processor time (user and system) of the running redsphere.scr so far, from /proc: Wine runs
    it as a Unix process whose command line starts with the .scr's path."""
    found = subprocess.run(["pgrep", "-f", r"^\S*redsphere\.scr"], capture_output=True, text=True).stdout.split()
    found = [pid for pid in found if in_prefix(pid, session.prefix)]
    check(len(found) == 1, f"one redsphere.scr process expected, found {found}")
    with open(f"/proc/{found[0]}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime, stime


def cpu_over(session, seconds):
    start = saver_cpu_seconds(session)
    time.sleep(seconds)
    return saver_cpu_seconds(session) - start


def send_display_state(session, args, state):
    result = session.run(args.helper, "power", state)
    check(result.returncode == 0, f"the display-state notice was not delivered: {result.stdout}{result.stderr}")
    log(f"sent the system's notice: {state}")


def case_power(session, args):
    """The displays turned off while the flyby runs (as a power plan does): the saver stops drawing,
    its processor time over 10 s next to none, and draws again at once when they come back."""
    session.set_registry(write_data(session, args), dict(DEFAULTS, AutoControl=1, TerraformMode=0))
    saver = start_saver(session, args, "/s")
    watch(session, saver, "the globe", globe_shown)
    drawing = cpu_over(session, 5.0)
    log(f"drawing: {drawing:.2f} s of processor time in 5 s")

    send_display_state(session, args, "display-off")
    time.sleep(1.0)
    still = session.grab()
    dark = cpu_over(session, 10.0)
    log(f"displays off: {dark:.2f} s of processor time in 10 s")
    check(dark < 0.3 and dark < drawing / 10, f"the saver used {dark:.2f} s in 10 s with the displays off")
    box = centre_box(still, still.height * 3 // 8, still.height * 3 // 8)
    check(difference(still, session.grab(), box) == 0.0, "the picture changed with the displays off")
    running(saver, "with the displays off")

    send_display_state(session, args, "display-on")
    watch(session, saver, "the flyby moving again", lambda picture: difference(still, picture, box) > 0.01)
    check(cpu_over(session, 5.0) > drawing / 3, "the saver draws slower than before the displays went off")
    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the flyby ended by a key", 0)


# ---- Names outside the ANSI code page ------------------------------------------------------------

# A profile and a data folder whose letters the ANSI code page (Windows-1252 in Wine's default
# locale) cannot hold: any trip of their text through an ANSI call turns them into question marks.
USER_NAME = "Łukasz Żółw"
DATA_NAME = ("Данные", "Марс")


def case_unicode_names(session, args):
    """A user named outside the code page and a data folder C:\\Данные\\Марс named by REG_SZ and
    by REG_EXPAND_SZ: the saver shows the globe and keeps its caches in that folder, F2 saves on
    that user's desktop, and a missing folder's failure line names it right in the UTF-8 log."""
    session.env["USER"] = USER_NAME
    drive = os.path.join(session.prefix, "drive_c")
    folder = os.path.join(drive, *DATA_NAME)
    os.makedirs(os.path.dirname(folder))
    write_data(session, args)
    os.rename(os.path.join(session.folder, "data"), folder)
    windows_folder = "C:\\" + "\\".join(DATA_NAME)

    session.set_registry(windows_folder, dict(DEFAULTS, AutoControl=0, TerraformMode=0, Clouds=0))
    saver = start_saver(session, args, "/s")
    shown = watch(session, saver, f"the globe from {windows_folder}", globe_shown, label="unicode-globe")
    caches = [name for name in ("terra8.hex", "sea8.hex") if os.path.isfile(os.path.join(folder, name))]
    check(caches == ["terra8.hex", "sea8.hex"], f"the caches in {windows_folder}: {caches}")
    desktop = os.path.join(drive, "users", USER_NAME, "Desktop")
    session.xdotool("key", "F2")
    path = screenshot_file(desktop, 1)
    size = 54 + bmp_row_size(shown.width) * shown.height
    poll(f'"{path}" of {size} bytes', lambda: os.path.isfile(path) and os.path.getsize(path) == size)
    log(f"globe shown, caches {caches} beside the data, F2 saved {path}")
    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the saver ended by Esc", 0)

    session.set_registry("%SystemDrive%\\" + "\\".join(DATA_NAME), dict(DEFAULTS, AutoControl=1), expand=True)
    saver = start_saver(session, args, "/s")
    watch(session, saver, "the globe from %SystemDrive%\\Данные\\Марс", globe_shown)
    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the saver ended by Esc", 0)

    missing = "C:\\Данные\\Нет"
    session.set_registry(missing, dict(DEFAULTS))
    clear_failure_log(session, USER_NAME)
    saver = start_saver(session, args, "/s")
    end_with_status(session, saver, f"/s with the missing data folder {missing}", 1)
    lines = failure_log(session, USER_NAME)
    check(len(lines) == 1 and lines[0].endswith(f"redsphere: data folder {missing}: it does not exist"),
          f"{USER_NAME}'s log after a missing data folder: {lines}")
    log(f"logged: {lines[-1]}")


# ---- Preview --------------------------------------------------------------------------------------

def expected_preview(preview, width, height):
    """The preview window as the saver must draw it: black, the picture centred (clipped when the
    window is smaller than the picture)."""
    rgb = bytearray(3 * width * height)
    left, top = int((width - preview.width) / 2), int((height - preview.height) / 2)
    for y in range(height):
        for x in range(width):
            sx, sy = x - left, y - top
            if 0 <= sx < preview.width and 0 <= sy < preview.height:
                offset = 3 * (y * width + x)
                rgb[offset:offset + 3] = bytes(preview.pixel(sx, sy))
    return Picture(width, height, rgb)


def host_previews(session, args, hosts, judge=None):
    """Runs the helper with preview hosts ("desktop" or "WxH+X+Y"), one saver each, and checks
    that each saver's window fills its host and that each saver ends with status 0 when its host
    window goes. judge(screen) is polled once all previews are shown, when given."""
    stop = os.path.join(session.folder, "stop-previews")
    if os.path.exists(stop):
        os.unlink(stop)
    helper = session.start(args.helper, "preview", session.windows_path(args.scr), session.windows_path(stop), *hosts,
                           stdout=subprocess.PIPE)
    try:
        sizes, children = {}, {}
        while len(children) < len(hosts):
            line = helper.stdout.readline()
            check(line, f"the preview host ended early (status {helper.poll()})")
            log(f"host: {line.strip()}")
            fields = line.split()
            if fields[0] == "host":
                sizes[int(fields[1])] = (int(fields[4]), int(fields[5]))
            elif fields[0] == "child":
                children[int(fields[1])] = (int(fields[2]), int(fields[3]))
        for index, size in sizes.items():
            check(children[index] == size, f"preview {index} is {children[index]}, its host {size}")
        shown = None
        if judge:
            shown = poll("the preview picture", lambda: judge(session.grab()))
    finally:
        open(stop, "w").close()
    rest = helper.stdout.read()
    code = session.wait_exit(helper, "the preview host")
    log(f"host: {rest.strip()}")
    check(code == 0 and rest.count(" exit 0") == len(hosts),
          f"the preview savers did not all end with status 0 when their windows went: {rest.strip()}")
    return shown


def preview_on_screen(session, args):
    """/p with the desktop window: the picture centred on black over the whole screen."""
    preview = Picture.from_file(os.path.join(args.pictures, "preview.bmp"))

    def judge(screen):
        want = expected_preview(preview, screen.width, screen.height)
        return screen if difference(screen, want, step=1, tolerance=8) < 0.01 else None
    shown = host_previews(session, args, ["desktop"], judge)
    session.keep(shown, f"preview-{shown.width}x{shown.height}")
    log(f"the preview picture is centred on black on the {shown.width} x {shown.height} screen")


def case_preview(session, args):
    """/p <handle>: the picture centred on black on a 152 x 112 screen; in windows of another
    program the preview fills each window and ends with it."""
    session.set_registry(write_data(session, args), dict(DEFAULTS))
    preview_on_screen(session, args)
    # NOTE: Wine shows no drawing of a child window whose parent belongs to another process, so
    # here only the preview's window and its end are checked, not its pixels.
    host_previews(session, args, ["100x80+0+0", "40x30+110+0"])


def case_preview_small(session, args):
    """/p <handle> on a screen smaller than the picture: its middle, clipped, on black."""
    session.set_registry(write_data(session, args), dict(DEFAULTS))
    preview_on_screen(session, args)


# ---- Settings dialog ------------------------------------------------------------------------------

def dialog_run(session, args, actions, extra_env=None):
    """Opens /c, applies the actions with the helper and returns the state lines it printed."""
    saver = start_saver(session, args, "/c", extra_env=extra_env)
    result = session.run(args.helper, "dialog", *actions, extra_env=extra_env)
    check(result.returncode == 0, f"driving the dialog failed ({result.returncode}): {result.stderr.strip()}")
    end_with_status(session, saver, "/c", 0)
    states = []
    for line in result.stdout.splitlines():
        if line.startswith("state "):
            states.append(dict(field.split("=", 1) for field in line.split()[1:]))
        elif line.startswith("dialog "):
            log(line.strip())
    return states


def expect(state, what, **wanted):
    for key, value in wanted.items():
        name = key.replace("__", ".")
        check(state.get(name) == str(value), f"{what}: {name} is {state.get(name)}, expected {value}")


# A drawn dialog has its labels, frames and buttons: a few percent of its pixels are dark and
# about as many are edges; a blank panel has next to none of either.
DIALOG_DARK_SHARE = 0.004
DIALOG_EDGE_SHARE = 0.01


def dialog_drawn(session, args):
    """/c on its own: the dialog's client area shows its text and frames (the graphics probe must
    leave the dialog's own window alone), then Cancel."""
    saver = start_saver(session, args, "/c")
    # NOTE: the first Wine process of a prefix starts Wine's services, which keep its standard
    # output open for their whole life; with a pipe there, reading the output would wait for them.
    path = os.path.join(session.folder, "dialog-rect.txt")
    with open(path, "w") as out:
        finder = session.start(args.helper, "dialog", "rect", stdout=out)
    code = session.wait_exit(finder, "finding the dialog")
    check(code == 0, f"finding the dialog failed ({code})")
    with open(path) as lines:
        fields = next((line.split() for line in lines if line.startswith("rect ")), None)
    check(fields is not None, "the helper printed no rectangle for the dialog")
    x, y, width, height = (int(value) for value in fields[1:5])
    box = (x, y, x + width, y + height)
    log(f"dialog client area {width} x {height} at {x}, {y}")
    measures = [(0.0, 0.0)]

    def drawn():
        running(saver, "while its dialog was shown")
        measures[0] = drawing_measures(session.grab(), box)
        return measures[0][0] > DIALOG_DARK_SHARE and measures[0][1] > DIALOG_EDGE_SHARE
    try:
        poll("the dialog's text and frames", drawn, limit=20)
    finally:
        session.keep(session.last_grab, "dialog")
        log(f"dialog: {measures[0][0]:.3f} of its pixels dark, {measures[0][1]:.3f} edges")
    result = session.run(args.helper, "dialog", "cancel")
    check(result.returncode == 0, f"cancelling the dialog failed: {result.stderr.strip()}")
    end_with_status(session, saver, "/c cancelled", 0)


def case_settings(session, args):
    """/c: the dialog is drawn and shows the stored settings and what the graphics can draw, the
    period trackbar follows "Periodic", OK writes the twelve values and Cancel or the close box write
    nothing."""
    data = write_data(session, args, LEVEL_8, listed_levels=(16, 32))
    # No per-user values at all: the dialog shows the defaults.
    session.set_registry(data, None)
    dialog_drawn(session, args)

    # Without OpenGL 1.4 (Mesa told to report 1.3) shadows cannot be drawn: the box is disabled,
    # yet OK keeps the stored setting.
    without_14 = {"MESA_GL_VERSION_OVERRIDE": "1.3"}
    states = dialog_run(session, args, [
        "dump", "click:terra_once", "dump", "click:terra_no", "dump", "click:terra_periodic", "dump",
        "click:terra_once", "click:tour", "click:atmosphere", "click:clouds", "click:monitors_primary",
        "pos:sunpos:1", "pos:period:7", "pos:relief:3", "sel:2", "dump", "ok"], extra_env=without_14)
    check(len(states) == 5, f"expected 5 dialog states, got {len(states)}")
    expect(states[0], "defaults without OpenGL 1.4",
           shadows__enabled=0, shadows__checked=0, atmosphere__enabled=1, atmosphere__checked=1,
           clouds__enabled=1, clouds__checked=1, automatic__checked=1, manual__checked=0,
           terra_periodic__checked=1, terra_no__checked=0, terra_once__checked=0, period__enabled=1,
           sunpos__pos=4, sunpos__min=0, sunpos__max=4, sunpos__enabled=1, sunpos_now__checked=0,
           period__pos=1, period__min=1, period__max=10,
           relief__pos=10, relief__min=1, relief__max=10,
           resolution__count=3, resolution__items="8,16,32", resolution__sel=0,
           monitors_each__checked=1, monitors_span__checked=0, monitors_primary__checked=0, tour__checked=0)
    status = states[0].get("data_status.text", "")
    check(status == f"Map_data_in_{data}:_levels_8,_16,_32".replace(" ", "_"),
          f"the data line under the controls reads {status}")
    expect(states[1], '"Once" chosen', terra_once__checked=1, terra_periodic__checked=0, period__enabled=0)
    expect(states[2], '"No" chosen', terra_no__checked=1, period__enabled=0)
    expect(states[3], '"Periodic" chosen', terra_periodic__checked=1, period__enabled=1, period__pos=1)
    expect(states[4], "before OK", tour__checked=1, manual__checked=0, automatic__checked=0, atmosphere__checked=0,
           clouds__checked=0, terra_once__checked=1, period__enabled=0, sunpos__pos=1, period__pos=7,
           relief__pos=3, resolution__sel=2, monitors_primary__checked=1, monitors_each__checked=0)
    stored = dict(Shadows=1, Atmosphere=0, Clouds=0, AutoControl=2, MaxPPD=32, ReliefExFactor=3, SunPos=1,
                  TerraformMode=1, TerraformPeriod=7, ShowFrameRate=0, AdaptQuality=1, Monitors=2)
    values = session.user_values()
    check(values == stored, f"OK stored {values}, expected {stored}")
    log("OK stored all twelve values")

    # With OpenGL 1.4 the Shadows box is live; the stored values come back, "Once" leaves the period
    # trackbar disabled. Cancel and the close box store nothing.
    for ending in ("cancel", "close"):
        states = dialog_run(session, args, [
            "dump", "click:terra_periodic", "dump", "click:shadows", "click:automatic", "click:atmosphere",
            "pos:sunpos:3", "pos:relief:9", "sel:0", "click:monitors_span", "click:tour", ending])
        check(len(states) == 2, f"expected 2 dialog states, got {len(states)}")
        expect(states[0], "stored values with OpenGL 1.4",
               shadows__enabled=1, shadows__checked=1, atmosphere__checked=0, clouds__checked=0,
               tour__checked=1, manual__checked=0, automatic__checked=0, terra_once__checked=1, period__enabled=0,
               sunpos__pos=1, period__pos=7, relief__pos=3, resolution__sel=2, monitors_primary__checked=1)
        expect(states[1], '"Periodic" chosen', period__enabled=1)
        values = session.user_values()
        check(values == stored, f"{ending} changed the stored values to {values}")
        log(f"{ending}: nothing stored")

    # "Now" greys the seasons out and stores the real sun, 5; the dialog shows it so again.
    states = dialog_run(session, args, ["click:sunpos_now", "dump", "ok"])
    expect(states[0], '"Now" chosen', sunpos_now__checked=1, sunpos__enabled=0)
    check(session.user_values().get("SunPos") == 5, f"OK stored {session.user_values()}")
    states = dialog_run(session, args, ["dump", "cancel"])
    expect(states[0], "the real sun stored", sunpos_now__checked=1, sunpos__enabled=0, sunpos__pos=4)
    log('"Now" stored and shown')


# ---- Several monitors -----------------------------------------------------------------------------

# These cases run on tests/xvfb/run_with_two_monitors.sh, which names its layout in TWO_MONITORS:
# the primary 1280x1024 at 0,0 and, as the server's output DUMMY1, 1024x768 at 1280,0. The
# 2304x1024 screen's 256 rows under the second monitor lie on no monitor.
SECOND_OUTPUT = "DUMMY1"
FIRST_OUTPUT = "DUMMY0"
# The Monitors setting.
EACH, SPAN, PRIMARY = 0, 1, 2
MONITOR_MODES = {EACH: "a globe on each monitor", SPAN: "one view across the virtual screen",
                 PRIMARY: "the primary monitor only"}
# How far a globe's or the help's centre may lie from its monitor's centre: the faint edge of the
# atmosphere, which globe_box finds, is drawn evenly all round, so the box's centre is the globe's
# within a pixel or two.
CENTRE_PIXELS = 6
# A globe's box is as wide as it is high within this share; a view drawn with another monitor's
# aspect ratio stretches it.
ROUND_SHARE = 0.03
# How long the layout may take to come right once the globe shows (a second window may start a
# frame later), and to follow a monitor turned off or on.
SETTLE_SECONDS = 10.0
# Wine reads the system DPI from LogPixels in HKCU\Control Panel\Desktop (over HKCC\Software\Fonts)
# when each process starts. At 192 DPI the saver's overlays are drawn at twice their pixel size.
HIGH_DPI = 192
HELP_SCALE = HIGH_DPI / 96
# How far the help's frame may be from HELP_SCALE times its size in the picture: a scaling filter
# softens its outermost pixels.
HELP_SIZE_PIXELS = 6


def box_text(box):
    return f"{box[2] - box[0]}x{box[3] - box[1]}+{box[0]}+{box[1]}"


def wine_monitors(session, args):
    """What a per-monitor-aware Windows program sees: {"count": SM_CMONITORS, "virtual": box,
    "monitors": boxes with the primary first, "dpi": the system DPI, "saver": its window or None}."""
    result = session.run(args.helper, "monitors")
    check(result.returncode == 0, f"the helper could not list the monitors: {result.stderr.strip()}")
    seen = {"monitors": [], "saver": None}
    for line in result.stdout.splitlines():
        fields = line.split()
        if not fields:
            continue
        if fields[0] in ("monitors", "dpi"):
            seen["count" if fields[0] == "monitors" else "dpi"] = int(fields[1])
            continue
        x, y, width, height = (int(value) for value in fields[1:5])
        box = (x, y, x + width, y + height)
        if fields[0] != "monitor":
            seen[fields[0]] = box
        elif "primary" in fields[5:]:
            seen["monitors"].insert(0, box)
        else:
            seen["monitors"].append(box)
    log(f"Wine sees {seen['count']} monitors {[box_text(box) for box in seen['monitors']]} "
        f"(virtual screen {box_text(seen['virtual'])}, {seen['dpi']} DPI"
        + (f", the saver's window {box_text(seen['saver'])})" if seen["saver"] else ")"))
    return seen


def two_monitors(session, args):
    """Wine's view of the monitors, checked against the layout the X server was given."""
    given = []
    for geometry in os.environ.get("TWO_MONITORS", "").split():
        width, height, x, y = (int(value) for value in re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)$", geometry).groups())
        given.append((x, y, x + width, y + height))
    seen = wine_monitors(session, args)
    check(len(given) == 2 and seen["count"] == 2 and seen["monitors"] == given,
          f"Wine sees {seen['monitors']}, the X server was given {given} (tests/xvfb/run_with_two_monitors.sh)")
    return seen


def set_output(session, args, *options, count):
    """Changes the X server's second output with xrandr and waits until Wine sees count monitors."""
    result = subprocess.run(["xrandr", "--output", SECOND_OUTPUT, *options], capture_output=True, text=True,
                            timeout=30)
    check(result.returncode == 0, f"xrandr --output {SECOND_OUTPUT} {' '.join(options)}: {result.stderr.strip()}")
    log(f"xrandr --output {SECOND_OUTPUT} {' '.join(options)}")

    def seen_by_wine():
        seen = wine_monitors(session, args)
        return seen if seen["count"] == count else None
    return poll(f"Wine to see {count} monitors", seen_by_wine)


def globe_faults(picture, box, where):
    """What is wrong with the globe that belongs centred in box, whole and round; [] when nothing."""
    disc = globe_box(picture, box)
    if not disc or disc[3] - disc[1] < (box[3] - box[1]) // 4:
        return [f"no globe on {where}"]
    left, top, right, bottom = disc
    width, height = right - left, bottom - top
    centre = ((left + right) / 2, (top + bottom) / 2)
    middle = ((box[0] + box[2]) / 2, (box[1] + box[3]) / 2)
    faults = []
    if max(abs(a - b) for a, b in zip(centre, middle)) > CENTRE_PIXELS:
        faults.append(f"the globe on {where} is centred at {centre}, not at {middle}")
    if left <= box[0] or top <= box[1] or right >= box[2] or bottom >= box[3]:
        faults.append(f"the globe on {where} ({width}x{height}+{left}+{top}) runs off it")
    if abs(width - height) > ROUND_SHARE * height:
        faults.append(f"the globe on {where} is {width} x {height}, not round")
    return faults


def off_monitor_pixels(picture, monitors):
    """The number of lit pixels on no monitor."""
    lit = 0
    for y in range(picture.height):
        x = 0
        for start, stop in sorted((m[0], m[2]) for m in monitors if m[1] <= y < m[3]) + [(picture.width,) * 2]:
            if start > x:
                lit += lit_pixels(picture, (x, y, start, y + 1))
            x = max(x, stop)
    return lit


def layout_faults(picture, seen, mode):
    """What is wrong with the saver's picture for the Monitors setting mode; [] when nothing."""
    if mode == SPAN:
        return globe_faults(picture, seen["virtual"], f"the virtual screen {box_text(seen['virtual'])}")
    faults = []
    for number, box in enumerate(seen["monitors"], 1):
        where = f"monitor {number} {box_text(box)}"
        if mode == EACH or number == 1:
            faults += globe_faults(picture, box, where)
        elif lit := lit_pixels(picture, box):
            faults.append(f"{where} has {lit} lit pixels, not black")
    if lit := off_monitor_pixels(picture, seen["monitors"]):
        faults.append(f"{lit} pixels lit on no monitor")
    return faults


def scene_drawn(picture):
    disc = globe_box(picture, (0, 0, picture.width, picture.height))
    return disc is not None and disc[3] - disc[1] >= picture.height // 4


def judge_layout(session, saver, seen, mode, label):
    """Waits up to SETTLE_SECONDS for the picture that mode asks for on the monitors seen; returns
    the faults of the last grab ([] when right). A saver that ends fails the case at once."""
    faults = [[]]

    def laid_out():
        running(saver, "while its layout was judged")
        faults[0] = layout_faults(session.grab(), seen, mode)
        return not faults[0]
    try:
        poll(f"the layout of {MONITOR_MODES[mode]}", laid_out, limit=SETTLE_SECONDS)
        log(f"laid out right: {MONITOR_MODES[mode]}")
    except TestFailure:
        running(saver, "while its layout was judged")
        log(f"laid out wrong for {MONITOR_MODES[mode]}: {'; '.join(faults[0])}")
    session.keep(session.last_grab, label)
    return faults[0]


def case_monitors(session, args):
    """/s on two monitors with each Monitors setting: a whole globe centred on every monitor, one
    globe centred on the virtual screen, or a globe on the primary with the other monitor black;
    outside the monitors the screen stays black. Every setting is tried; the case names each that
    failed."""
    seen = two_monitors(session, args)
    data = write_data(session, args)
    failed = []
    for mode in (SPAN, EACH, PRIMARY):
        # Manual control holds the first view still, so every grab shows the same globe.
        session.set_registry(data, dict(DEFAULTS, AutoControl=0, TerraformMode=0, Clouds=0, Monitors=mode))
        saver = start_saver(session, args, "/s")
        watch(session, saver, "the globe", scene_drawn)
        faults = judge_layout(session, saver, seen, mode, f"monitors-{mode}")
        session.xdotool("key", "Escape")
        end_with_status(session, saver, "the saver ended by Esc", 0)
        if faults:
            failed.append(f"Monitors {mode} ({MONITOR_MODES[mode]}): {'; '.join(faults)}")
    check(not failed, " | ".join(failed))


def pointer_position():
    result = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True, timeout=30)
    check(result.returncode == 0, f"xdotool getmouselocation failed: {result.stderr.strip()}")
    fields = dict(line.split("=", 1) for line in result.stdout.split())
    return int(fields["X"]), int(fields["Y"])


def help_faults(session, saver, args, seen):
    """F1: the help's frame at HELP_SCALE times its size in the picture, centred on the monitor
    under the pointer; Esc hides it. Returns the faults ([] when right)."""
    colour, frame = help_frame(Picture.from_file(os.path.join(args.pictures, "help.bmp")))
    check(frame_box(session.grab(), colour) is None, "the help's frame shows before F1")
    session.xdotool("key", "F1")
    shown = watch(session, saver, "the help picture", lambda picture: frame_box(picture, colour) is not None,
                  label="help")
    left, top, right, bottom = frame_box(shown, colour)
    x, y = pointer_position()
    monitor = next((box for box in seen["monitors"] if box[0] <= x < box[2] and box[1] <= y < box[3]),
                   seen["monitors"][0])
    size = (right - left, bottom - top)
    wanted = tuple(round(HELP_SCALE * extent) for extent in (frame[2] - frame[0], frame[3] - frame[1]))
    centre = ((left + right) / 2, (top + bottom) / 2)
    middle = ((monitor[0] + monitor[2]) / 2, (monitor[1] + monitor[3]) / 2)
    log(f"help frame {size[0]} x {size[1]} centred at {centre}; the pointer at {x}, {y} on {box_text(monitor)}")
    faults = []
    if max(abs(a - b) for a, b in zip(size, wanted)) > HELP_SIZE_PIXELS:
        faults.append(f"the help's frame is {size[0]} x {size[1]} at {seen['dpi']} DPI, not {wanted[0]} x {wanted[1]}")
    if max(abs(a - b) for a, b in zip(centre, middle)) > CENTRE_PIXELS:
        faults.append(f"the help is centred at {centre}, not on the pointer's monitor {box_text(monitor)} at {middle}")
    session.xdotool("key", "Escape")
    watch(session, saver, "the help picture to go", lambda picture: frame_box(picture, colour) is None)
    return faults


def case_monitors_change(session, args):
    """At 192 DPI on two monitors, in manual control with the Monitors setting left at its default:
    F1 shows the help at twice its size on the monitor under the pointer; the second monitor turned
    off while the saver runs leaves a whole globe centred on the primary, and turned on again a
    globe on each, without the saver ending. Every step is judged; the case names each that failed."""
    data = write_data(session, args)
    session.set_registry(data, dict(DEFAULTS, AutoControl=0, TerraformMode=0, Clouds=0))
    result = session.run("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                         "/d", str(HIGH_DPI), "/f")
    check(result.returncode == 0, f"reg add LogPixels failed: {result.stdout}{result.stderr}")
    seen = two_monitors(session, args)
    check(seen["dpi"] == HIGH_DPI, f"Wine reports {seen['dpi']} DPI after LogPixels {HIGH_DPI}")
    saver = start_saver(session, args, "/s")
    watch(session, saver, "the globe", scene_drawn)
    faults = help_faults(session, saver, args, seen)

    one = set_output(session, args, "--off", count=1)
    faults += [f"with {SECOND_OUTPUT} off: {fault}" for fault in judge_layout(session, saver, one, EACH, "one-monitor")]
    two = set_output(session, args, "--mode", "1024x768", "--right-of", FIRST_OUTPUT, count=2)
    faults += [f"with {SECOND_OUTPUT} on again: {fault}"
               for fault in judge_layout(session, saver, two, EACH, "monitor-back")]

    session.xdotool("key", "Escape")
    end_with_status(session, saver, "the saver ended by Esc", 0)
    check(not faults, " | ".join(faults))


# ---- Data changed under a running saver ----------------------------------------------------------

# The files whose tables the saver keeps mapped while it runs: the mesh builds read them every
# frame. The node file and the stars are read whole at start, the images are released once they
# are textures, and the caches it derives are kept in memory.
MAPPED = ("areoid8.hex", "topo8.hex", "mars8.hex")


def case_data_changes(session, args):
    """A new data set copied over a running saver's, as Windows' own copy does it: the copy over
    each file whose table the saver has mapped is refused and the file keeps its bytes; the saver
    goes on drawing, and goes on when the data folder is then moved away."""
    data = write_data(session, args, LEVEL_8)
    session.set_registry(data, dict(DEFAULTS, AutoControl=1, TerraformMode=0))
    saver = start_saver(session, args, "/s")
    watch(session, saver, "the globe", globe_shown, label="globe")
    folder = os.path.join(session.folder, "data")
    spare = os.path.join(session.folder, "new.hex")
    with open(spare, "wb") as new_file:
        new_file.write(b"\x5a" * 4096)
    for name in MAPPED:
        path = os.path.join(folder, name)
        with open(path, "rb") as old_file:
            before = old_file.read()
        result = session.run("cmd", "/c", "copy", "/y", session.windows_path(spare), session.windows_path(path))
        with open(path, "rb") as old_file:
            after = old_file.read()
        check(result.returncode != 0 and after == before,
              f"copy over {name} while it is mapped: status {result.returncode}, {len(after)} bytes left "
              f"of {len(before)}")
        log(f"copy over {name} refused (status {result.returncode})")
    moved = os.path.join(session.folder, "moved")
    result = session.run("cmd", "/c", "move", session.windows_path(folder), session.windows_path(moved))
    log(f"moving the data folder away: status {result.returncode}, {'moved' if os.path.isdir(moved) else 'refused'}")
    # Frames drawn after the changes: each of several grabs still shows the globe.
    for grab in range(8):
        running(saver, "after its data was copied over and moved")
        check(globe_shown(session.grab(f"after-changes-{grab}")), "the globe is gone after the data changed")
    log("the saver goes on drawing the globe")


# ---- A full disk ----------------------------------------------------------------------------------

def fill_disk(folder, name, keep):
    """Fills folder's file system with a file there until keep bytes are left (0: full)."""
    stats = os.statvfs(folder)
    left = stats.f_bavail * stats.f_frsize - keep if keep else None
    block = b"f" * 65536
    with open(os.path.join(folder, name), "wb", buffering=0) as filler:
        try:
            while left is None or left > 0:
                left_now = len(block) if left is None else min(left, len(block))
                filler.write(block[:left_now])
                if left is not None:
                    left -= left_now
        except OSError:
            check(keep == 0, "the disk filled before the room to keep was reached")


def level_files(folder):
    files = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as data_file:
            files[name] = data_file.read()
    return files


def case_full_disk(session, args):
    """The builder and the saver with the data folder on a disk that fills (a tmpfs of
    full_disk.sh's, under REDSPHERE_FULL_DISK). The builder, with room for the shared files but
    not for a level, ends with one line and the earlier level's files stay as they were; the disk
    then full, the saver shows the globe from the data there and leaves nothing behind."""
    disk = os.environ.get("REDSPHERE_FULL_DISK")
    check(disk is not None and args.mkdata is not None, "run by tests/shell/linux/full_disk.sh with --mkdata")
    folder = os.path.join(disk, "data")
    os.makedirs(folder)
    result = session.run(args.helper, "data", session.windows_path(folder), "8", "720")
    check(result.returncode == 0, f"the helper could not write the data folder: {result.stderr.strip()}")
    before = level_files(folder)
    fill_disk(disk, "filler", 10 << 20)

    result = session.run(args.mkdata, "--level", "8", "--synthetic", "all", "--threads", "1",
                         session.windows_path(folder), limit=120)
    lines = program_lines(result.stderr)
    log(f"the builder on a full disk: status {result.returncode}, {lines}")
    check(result.returncode == 1 and len(lines) == 1 and lines[0].startswith("redsphere-mkdata: cannot write "),
          f"the builder on a full disk: status {result.returncode}, lines {lines}")
    after = level_files(folder)
    check(sorted(after) == sorted(before), f"files after the builder: {sorted(after)}")
    for name in ("nodes8.hex", "areoid8.hex", "topo8.hex", "mars8.hex"):
        check(after[name] == before[name], f"{name} changed although the builder failed")

    fill_disk(disk, "filler2", 0)
    session.set_registry(session.windows_path(folder), dict(DEFAULTS, AutoControl=1, TerraformMode=0))
    saver = start_saver(session, args, "/s")
    watch(session, saver, "the globe from the full disk's data", globe_shown, label="globe")
    check(level_files(folder) == after, "the saver left files in the full data folder or changed one")
    logged = failure_log(session)
    check(all("cannot write " in line and "derived again" in line for line in logged), f"the saver's log: {logged}")
    log(f"the saver draws the globe; its log: {logged}")


CASES = {"data_changes": case_data_changes, "full_disk": case_full_disk, "flyby": case_flyby, "manual": case_manual, "missing_data": case_missing_data,
         "preview": case_preview, "preview_small": case_preview_small, "settings": case_settings,
         "unicode_names": case_unicode_names, "power": case_power, "monitors": case_monitors,
         "monitors_change": case_monitors_change}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--scr", required=True, help="redsphere.scr")
    parser.add_argument("--helper", required=True, help="saver_e2e_helper.exe")
    parser.add_argument("--mkdata", help="redsphere-mkdata.exe, for the full_disk case")
    parser.add_argument("--prefix", required=True, help="the build's Wine prefix, copied for each test")
    parser.add_argument("--pictures", required=True, help="folder of the generated help.bmp and preview.bmp")
    parser.add_argument("--work", required=True, help="folder for each test's prefix, data and grabs")
    parser.add_argument("--out", required=True, help="folder for the screen grab the README shows")
    parser.add_argument("--keep-grabs", action="store_true", help="keep the screen grabs of a passing run too")
    args = parser.parse_args()
    args.scr, args.helper = os.path.abspath(args.scr), os.path.abspath(args.helper)
    os.makedirs(args.out, exist_ok=True)

    return run_case(CASES, args)


if __name__ == "__main__":
    sys.exit(main())
