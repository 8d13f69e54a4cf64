# Pictures for the end-to-end runs: screen grabs (PPM from ImageMagick), the saver's 24-bit
# bitmaps (screenshot files and the clipboard's CF_DIB) and the program's own pictures, with the
# pixel measures the tests judge them by. Plain Python; ImageMagick only converts formats.
import struct
import subprocess


def _convert(data, source_format, target):
    result = subprocess.run(["convert", f"{source_format}:-", "-depth", "8", target], input=data,
                            capture_output=True, timeout=60)
    if result.returncode != 0:
        raise RuntimeError(f"convert to {target} failed: {result.stderr.decode(errors='replace')}")
    return result.stdout


class Picture:
    """Top row first, 3 bytes a pixel (red, green, blue); `alpha` is set for pictures that have one."""

    def __init__(self, width, height, rgb, alpha=None):
        self.width, self.height, self.rgb, self.alpha = width, height, bytes(rgb), alpha

    @staticmethod
    def from_ppm(data):
        fields, offset = [], 0
        while len(fields) < 4:
            while data[offset:offset + 1].isspace():
                offset += 1
            if data[offset:offset + 1] == b"#":
                offset = data.index(b"\n", offset)
                continue
            end = offset
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[offset:end])
            offset = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("expected an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        offset += 1
        return Picture(width, height, data[offset:offset + 3 * width * height])

    @staticmethod
    def from_file(path):
        """Any picture ImageMagick reads, as ImageMagick orients it, with its alpha channel."""
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                              timeout=60, check=True).stdout.split()
        width, height = int(size[0]), int(size[1])
        rgba = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True, timeout=60,
                              check=True).stdout
        rgb = bytearray(3 * width * height)
        rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
        return Picture(width, height, rgb, rgba[3::4])

    @staticmethod
    def from_dib(dib):
        """The pixels of a 24-bit BI_RGB bitmap after its 40-byte header: rows bottom up when the
        height is positive, each blue, green, red and padded to 4 bytes."""
        width, height = struct.unpack_from("<ii", dib, 4)
        bottom_up = height > 0
        height = abs(height)
        row_size = (width * 3 + 3) & ~3
        rgb = bytearray(3 * width * height)
        for row in range(height):
            source = 40 + row_size * (height - 1 - row if bottom_up else row)
            line = dib[source:source + 3 * width]
            target = rgb[3 * width * row:3 * width * (row + 1)]
            target[0::3], target[1::3], target[2::3] = line[2::3], line[1::3], line[0::3]
            rgb[3 * width * row:3 * width * (row + 1)] = target
        return Picture(width, height, rgb)

    def save_png(self, path):
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        _convert(header + self.rgb, "ppm", f"png:{path}")

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return self.rgb[offset], self.rgb[offset + 1], self.rgb[offset + 2]

    def flipped(self):
        """Rows in the opposite order: what a bitmap with the wrong row order would show."""
        rows = [self.rgb[3 * self.width * row:3 * self.width * (row + 1)] for row in range(self.height)]
        return Picture(self.width, self.height, b"".join(reversed(rows)))

    def points(self, box=None, step=1):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1), step):
            for x in range(max(0, x0), min(self.width, x1), step):
                yield x, y

    def fraction(self, test, box=None, step=1, outside=None):
        """The share of the pixels in box (and outside the box `outside`) for which test(r, g, b)."""
        hits = total = 0
        for x, y in self.points(box, step):
            if outside and outside[0] <= x < outside[2] and outside[1] <= y < outside[3]:
                continue
            total += 1
            hits += bool(test(*self.pixel(x, y)))
        return hits / total if total else 0.0

    def mean(self, box=None, step=1):
        sums, count = [0, 0, 0], 0
        for x, y in self.points(box, step):
            for channel, value in enumerate(self.pixel(x, y)):
                sums[channel] += value
            count += 1
        return tuple(value / count for value in sums)


def near(colour, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


def dark(r, g, b):
    return max(r, g, b) <= 40


def black(r, g, b):
    return max(r, g, b) <= 8


def drawing_measures(picture, box):
    """What is drawn in box: the share of dark pixels (text, the dark side of frames) and the share
    of pixels unlike their right-hand neighbour (edges of text, frames and controls). A blank
    panel has neither."""
    dark_pixels = edges = total = 0
    for x, y in picture.points((box[0], box[1], box[2] - 1, box[3])):
        here, right = picture.pixel(x, y), picture.pixel(x + 1, y)
        total += 1
        dark_pixels += max(here) <= 96
        edges += sum(abs(a - b) for a, b in zip(here, right)) > 96
    return (dark_pixels / total, edges / total) if total else (0.0, 0.0)


def difference(a, b, box=None, step=2, tolerance=24):
    """The share of pixels in box that differ by more than tolerance in some channel."""
    if (a.width, a.height) != (b.width, b.height):
        return 1.0
    changed = total = 0
    for x, y in a.points(box, step):
        total += 1
        changed += not near(a.pixel(x, y), b.pixel(x, y), tolerance)
    return changed / total if total else 0.0


# ---- What the saver shows ------------------------------------------------------------------------

LOADING_COLOUR = (200, 100, 50)


def centre_box(picture, half_width, half_height):
    cx, cy = picture.width // 2, picture.height // 2
    return cx - half_width, cy - half_height, cx + half_width, cy + half_height


def loading_shown(picture):
    """"Loading..." in its colour across the middle of an otherwise black screen."""
    text_box = centre_box(picture, 130, 40)
    text = picture.fraction(lambda r, g, b: near((r, g, b), LOADING_COLOUR, 40), text_box)
    rest_black = picture.fraction(black, step=4, outside=text_box)
    return text > 0.03 and rest_black > 0.999


def globe_measures(picture):
    """(share of planet-coloured pixels in the middle, share of dark pixels well away from the globe).
    At the starting distance the globe with its atmosphere spans about 0.9 of the screen height."""
    h = picture.height
    middle = centre_box(picture, h // 8, h // 8)
    planet = picture.fraction(lambda r, g, b: max(r, g, b) >= 30 and r > b + 10, middle, step=3)
    cx, cy, far = picture.width // 2, h // 2, (0.47 * h) ** 2
    hits = total = 0
    for x, y in picture.points(step=6):
        if (x - cx) ** 2 + (y - cy) ** 2 > far:
            total += 1
            hits += dark(*picture.pixel(x, y))
    return planet, hits / total


def globe_shown(picture):
    """The globe's day side in the middle of a dark sky."""
    planet, away = globe_measures(picture)
    return planet > 0.9 and away > 0.98


def scene_shown(picture):
    """The globe, lit or not (its night side still shows the atmosphere's glow and faint ground),
    in the middle of a dark sky."""
    h = picture.height
    middle = picture.mean(centre_box(picture, h // 8, h // 8), step=3)
    return max(middle) >= 10 and globe_measures(picture)[1] > 0.98


def sea_blue(r, g, b):
    """The terraformed sea: blue well above red and green. (The terraformed land turns teal, with
    green and blue close together, and the atmosphere's violet stays at the limb.)"""
    return b >= 50 and b >= g + 20 and b >= r + 15


def sea_share(picture):
    """The share of sea-blue pixels on the globe's face, away from the limb. The globe's radius is
    about 0.3 of the screen height."""
    h = picture.height
    cx, cy, radius = picture.width // 2, h // 2, 0.22 * h
    hits = total = 0
    for x, y in picture.points(centre_box(picture, int(radius), int(radius)), step=3):
        if (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
            total += 1
            hits += sea_blue(*picture.pixel(x, y))
    return hits / total


def help_match(picture, help_picture):
    """The share of the help picture's opaque pixels (frame and lettering) that the screen shows at
    the help's place: centred, rows as drawn bottom up from the stored picture."""
    left = (picture.width - help_picture.width) // 2
    bottom = (picture.height - help_picture.height) // 2  # from the bottom of the window
    top = picture.height - bottom - help_picture.height
    matches = total = 0
    for y in range(0, help_picture.height, 2):
        # The stored picture is upside down: its first row is the panel's bottom row.
        screen_y = top + (help_picture.height - 1 - y)
        for x in range(0, help_picture.width, 2):
            if help_picture.alpha[y * help_picture.width + x] != 255:
                continue
            total += 1
            matches += near(picture.pixel(left + x, screen_y), help_picture.pixel(x, y), 24)
    return matches / total


def _profile(picture, horizontal, half_length, half_band):
    """Brightness along a line through the middle (a column or row mean over a band), with the
    slow shading taken out so that only the surface's own features remain."""
    cx, cy = picture.width // 2, picture.height // 2
    values = []
    for k in range(-half_length, half_length):
        total = 0
        for b in range(-half_band, half_band, 2):
            total += sum(picture.pixel(cx + k, cy + b) if horizontal else picture.pixel(cx + b, cy + k))
        values.append(total)
    window = 40
    result = []
    for i in range(len(values)):
        lo, hi = max(0, i - window), min(len(values), i + window + 1)
        result.append(values[i] - sum(values[lo:hi]) / (hi - lo))
    return result


def surface_shift(before, after, horizontal, limit=120):
    """How far the globe's face moved between two pictures, in pixels along x (horizontal) or y:
    the offset that best lines up their brightness profiles through the middle."""
    half = before.height // 4
    a = _profile(before, horizontal, half, half // 3)
    b = _profile(after, horizontal, half, half // 3)
    limit = min(limit, half // 2)
    best = None
    for offset in range(-limit, limit + 1):
        cost = sum(abs(b[i + offset] - a[i]) for i in range(limit, len(a) - limit))
        if best is None or cost < best[0]:
            best = (cost, offset)
    return best[1]


# ---- Several monitors ---------------------------------------------------------------------------
# Boxes are (left, top, right, bottom), right and bottom exclusive. The measures slice whole rows
# and columns out of the bytes, so a full screen takes a fraction of a second.

def _red_column(picture, x, top, bottom):
    w = picture.width
    return picture.rgb[3 * (top * w + x):3 * ((bottom - 1) * w + x) + 1:3 * w]


def _red_row(picture, y, left, right):
    return picture.rgb[3 * (y * picture.width + left):3 * (y * picture.width + right):3]


def _longest_run(flags, gap=3):
    """(first, last) of the longest run of true flags, bridging up to `gap` false ones; None when
    none is true."""
    best, start, last = None, None, None
    for i, flag in enumerate(flags + [False] * (gap + 1)):
        if flag:
            if start is None:
                start = i
            last = i
        elif start is not None and i - last > gap:
            if best is None or last - start > best[1] - best[0]:
                best = (start, last)
            start = None
    return best


def globe_box(picture, box, min_count=5):
    """The box of the largest disc drawn in box, the atmosphere's faintest edge included: the
    longest runs of columns and of rows that hold at least min_count pixels with any red. Black
    sky has none, and the few stars of one row or column fall short. None when nothing is drawn."""
    left, top, right, bottom = box
    columns = (_red_column(picture, x, top, bottom) for x in range(left, right))
    rows = (_red_row(picture, y, left, right) for y in range(top, bottom))
    across = _longest_run([len(line) - line.count(0) >= min_count for line in columns])
    down = _longest_run([len(line) - line.count(0) >= min_count for line in rows])
    if not across or not down:
        return None
    return left + across[0], top + down[0], left + across[1] + 1, top + down[1] + 1


_BLACK_LEVELS = bytes(range(9))  # a channel at most this bright counts as black, as in black()


def lit_pixels(picture, box):
    """The number of pixels in box that are not black."""
    left, top, right, bottom = box
    w, count = picture.width, 0
    for y in range(max(0, top), min(picture.height, bottom)):
        row = picture.rgb[3 * (y * w + max(0, left)):3 * (y * w + min(w, right))]
        if row.translate(None, _BLACK_LEVELS):
            count += sum(1 for i in range(0, len(row), 3) if max(row[i:i + 3]) > 8)
    return count


def _near_mask(values, level, tolerance):
    """values as one big integer with a 1 bit for each byte within tolerance of level."""
    table = bytes(1 if abs(v - level) <= tolerance else 0 for v in range(256))
    return int.from_bytes(values.translate(table), "little")


def _colour_counts(picture, colour, tolerance, lines):
    """For each (start, stop, step) slice of the pixels, the number of them near colour."""
    counts = []
    for start, stop, step in lines:
        mask = -1
        for channel, level in enumerate(colour):
            mask &= _near_mask(picture.rgb[3 * start + channel:3 * stop + channel:3 * step], level, tolerance)
        counts.append(bin(mask).count("1"))
    return counts


def frame_box(picture, colour, min_run=200, tolerance=12):
    """The outer box of a rectangular frame in colour (the help panel's opaque frame): the rows
    and columns with at least min_run pixels of that colour. None when there is none."""
    w, h = picture.width, picture.height
    rows = _colour_counts(picture, colour, tolerance, [(y * w, (y + 1) * w, 1) for y in range(h)])
    columns = _colour_counts(picture, colour, tolerance, [(x, (h - 1) * w + x + 1, w) for x in range(w)])
    ys = [y for y, count in enumerate(rows) if count >= min_run]
    xs = [x for x, count in enumerate(columns) if count >= min_run]
    if not xs or not ys:
        return None
    return xs[0], ys[0], xs[-1] + 1, ys[-1] + 1


def help_frame(help_picture):
    """The help picture's frame: (its colour, its box in the picture), from the opaque pixels."""
    w, h = help_picture.width, help_picture.height
    opaque = bytearray(3 * w * h)
    for i in range(w * h):
        if help_picture.alpha[i] == 255:
            opaque[3 * i:3 * i + 3] = help_picture.rgb[3 * i:3 * i + 3]
    y = h // 2
    x = next(x for x in range(w) if help_picture.alpha[y * w + x] == 255)
    colour = help_picture.pixel(x, y)
    return colour, frame_box(Picture(w, h, opaque), colour, min_run=min(w, h) // 2, tolerance=0)
