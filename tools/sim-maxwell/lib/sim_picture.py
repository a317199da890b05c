"""The pictures the substitute renderer writes: a small procedural still life
(a window, a table, glass bottles and balls) overlaid with grain that fades
as the sampling level rises, like an unbiased render refining."""
import hashlib
import math
import os
import random
import tempfile
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter

MAX_HEIGHT = 640
MAX_WIDTH = 1280


def picture_size(res_w, res_h):
    """The render's aspect ratio, scaled down to stay cheap to write."""
    scale = min(1.0, float(MAX_HEIGHT) / res_h, float(MAX_WIDTH) / res_w)
    return max(16, int(round(res_w * scale))), max(16, int(round(res_h * scale)))


def _mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def _vertical(size, top, bottom):
    mask = Image.linear_gradient("L").resize(size)
    return Image.composite(Image.new("RGB", size, bottom), Image.new("RGB", size, top), mask)


def _cylinder_shade(size, light, dark):
    profile = Image.new("L", (256, 1))
    profile.putdata([int(255 * (math.sin(math.pi * x / 255.0) ** 0.7)) for x in range(256)])
    return Image.composite(Image.new("RGB", size, light), Image.new("RGB", size, dark),
                           profile.resize(size))


def _hsv(rng):
    import colorsys
    h = rng.random()
    r, g, b = colorsys.hsv_to_rgb(h, rng.uniform(0.45, 0.85), rng.uniform(0.55, 0.9))
    return int(r * 255), int(g * 255), int(b * 255)


def clean_picture(width, height, look):
    """The fully converged picture of a scene; `look` seeds its layout."""
    rng = random.Random(zlib.crc32(look.encode("utf-8")))
    ss = 2
    W, H = width * ss, height * ss
    horizon = int(H * rng.uniform(0.55, 0.66))

    wall = _mix((235, 225, 205), _hsv(rng), 0.15)
    img = _vertical((W, horizon), _mix(wall, (255, 255, 255), 0.2), _mix(wall, (0, 0, 0), 0.25))
    canvas = Image.new("RGB", (W, H))
    canvas.paste(img, (0, 0))

    # Window with sky, the scene's light source.
    wx0, wx1 = int(W * rng.uniform(0.12, 0.3)), int(W * rng.uniform(0.7, 0.88))
    wy0, wy1 = int(horizon * 0.08), int(horizon * 0.78)
    sky = _vertical((wx1 - wx0, wy1 - wy0), (90, 150, 225), (225, 238, 250))
    canvas.paste(sky, (wx0, wy0))
    draw = ImageDraw.Draw(canvas)
    frame = _mix(wall, (255, 255, 255), 0.5)
    bar = max(2, W // 90)
    draw.rectangle([wx0, wy0, wx1, wy1], outline=frame, width=bar * 2)
    draw.rectangle([(wx0 + wx1) // 2 - bar // 2, wy0, (wx0 + wx1) // 2 + bar // 2, wy1], fill=frame)
    draw.rectangle([wx0, (wy0 + wy1) // 2 - bar // 2, wx1, (wy0 + wy1) // 2 + bar // 2], fill=frame)

    wood = rng.choice([(120, 78, 45), (150, 105, 65), (95, 70, 55), (170, 160, 150)])
    canvas.paste(_vertical((W, H - horizon), _mix(wood, (255, 255, 255), 0.15),
                           _mix(wood, (0, 0, 0), 0.45)), (0, horizon))

    count = rng.randint(3, 6)
    slots = sorted(rng.uniform(0.1, 0.9) for _ in range(count))
    shadows = Image.new("L", (W, H), 0)
    sdraw = ImageDraw.Draw(shadows)
    objects = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    for i, sx in enumerate(slots):
        colour = _hsv(rng)
        base_y = horizon + int((H - horizon) * rng.uniform(0.25, 0.6))
        cx = int(sx * W)
        if rng.random() < 0.65:
            bw = int(W * rng.uniform(0.07, 0.12))
            bh = int(H * rng.uniform(0.25, 0.42))
            neck_w, neck_h = bw // 3, bh // 3
            mask = Image.new("L", (W, H), 0)
            md = ImageDraw.Draw(mask)
            top = base_y - bh
            md.rounded_rectangle([cx - bw // 2, top + neck_h, cx + bw // 2, base_y], radius=bw // 3, fill=205)
            md.rectangle([cx - neck_w // 2, top, cx + neck_w // 2, top + neck_h + bw // 4], fill=215)
            shade = _cylinder_shade((bw + 2, bh + 2), _mix(colour, (255, 255, 255), 0.35),
                                    _mix(colour, (0, 0, 0), 0.55))
            layer = Image.new("RGB", (W, H))
            layer.paste(shade, (cx - bw // 2 - 1, top - 1))
            objects.paste(layer, (0, 0), mask)
            hl = ImageDraw.Draw(objects)
            hx = cx - bw // 4
            hl.rectangle([hx, top + neck_h + bw // 3, hx + max(2, bw // 10), base_y - bw // 3],
                         fill=(255, 255, 255, 200))
            sdraw.ellipse([cx - bw, base_y - bw // 5, cx + bw + bw // 2, base_y + bw // 4], fill=150)
        else:
            r = int(min(W, H) * rng.uniform(0.05, 0.09))
            ball = Image.radial_gradient("L").resize((2 * r, 2 * r))
            lit = Image.composite(Image.new("RGB", ball.size, _mix(colour, (0, 0, 0), 0.6)),
                                  Image.new("RGB", ball.size, _mix(colour, (255, 255, 255), 0.4)),
                                  ball)
            round_mask = Image.new("L", ball.size, 0)
            ImageDraw.Draw(round_mask).ellipse([0, 0, 2 * r - 1, 2 * r - 1], fill=255)
            objects.paste(lit, (cx - r, base_y - 2 * r), round_mask)
            sdraw.ellipse([cx - r, base_y - r // 4, cx + 2 * r, base_y + r // 3], fill=170)

    shadows = shadows.filter(ImageFilter.GaussianBlur(W / 90.0))
    canvas = Image.composite(Image.new("RGB", (W, H), (20, 15, 10)), canvas, shadows.point(lambda v: v * 3 // 5))
    canvas.paste(objects, (0, 0), objects)

    # Light falling off away from the window.
    vignette = Image.radial_gradient("L").resize((W, H)).point(lambda v: max(0, v - 90) * 2 // 3)
    canvas = Image.composite(Image.new("RGB", (W, H), (0, 0, 0)), canvas, vignette)
    return canvas.resize((width, height), Image.LANCZOS)


def noise_amount(sl):
    """Grain strength at a sampling level: each level costs 1.5 times the
    samples of the one before, so the noise falls like 1/sqrt(1.5**sl)."""
    return min(0.95, 1.6 * 1.5 ** (-max(sl, 0.0) / 2.0))


def grain(size):
    """Noise around 128 in each channel. Refining scales it, so one grain
    serves every picture of a run (and, through the cache, every run)."""
    return _cached("grain %d %d" % size,
                   lambda: Image.merge("RGB", [Image.effect_noise(size, 90) for _ in range(3)]))


def refine(clean, sl, noise=None):
    a = noise_amount(sl)
    noise = noise or grain(clean.size)
    return ImageChops.add(clean, noise.point(lambda v: int(128 + a * (v - 128))), 1.0, -128)


def cached_clean_picture(width, height, look):
    return _cached("clean %d %d %s" % (width, height, look),
                   lambda: clean_picture(width, height, look))


def _cached(what, make):
    """make(), kept in a cache folder shared by every run: drawing costs a
    tenth of a second, and many runs draw the same pictures. The key holds
    this file's own text, so a change to the drawing is never hidden."""
    folder = os.environ.get("SIM_MAXWELL_CACHE") or os.path.join(
        tempfile.gettempdir(), "sim-maxwell-cache-%d" % os.getuid())
    with open(__file__, "rb") as f:
        key = hashlib.sha256(f.read() + b"\0" + what.encode()).hexdigest()
    path = os.path.join(folder, key[:32] + ".png")
    try:
        with Image.open(path) as cached:
            return cached.convert("RGB")
    except (OSError, ValueError):
        pass
    picture = make()
    try:
        os.makedirs(folder, exist_ok=True)
        tmp = "%s.%d.part" % (path, os.getpid())
        picture.save(tmp, "PNG", compress_level=1)
        os.replace(tmp, path)
    except OSError:
        pass  # no cache: the next run draws it again
    return picture


def save_atomically(img, path):
    """Readers of the picture never see a half-written file."""
    folder, name = os.path.split(os.path.abspath(path))
    tmp = os.path.join(folder, "." + name + ".part")
    img.save(tmp, "JPEG", quality=88)
    os.replace(tmp, path)
