#!/usr/bin/env python3
"""Checks a release made by tools/release.sh as an organiser or an archive would meet it:
   check_release.py DIST/KOVA1301-VERSION VERSION
The zip holds exactly the folder; SHA256SUMS covers every other file and holds; the texts are
plain ASCII within their limits and name the version; the programs are what they say (64-bit
ELF needing only glibc 2.35 and SDL 1.2, static 64-bit PE, the page with a valid wasm); the
screenshot is a 256 x 256 frame; the video is 1920 x 1080 H.264 at 25 frames per second with
AAC sound, a whole cycle and the fade long, and its frame at the screenshot's place is the
screenshot scaled by 4 with square pixels, centred on black."""
import hashlib
import json
import pathlib
import re
import struct
import subprocess
import sys
import zipfile

folder, version = pathlib.Path(sys.argv[1]), sys.argv[2]
failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
    return ok


FILES = {
    'KOVA1301.nfo', 'file_id.diz', 'screenshot.png', 'KOVA1301-capture.mp4', 'SHA256SUMS',
    'linux/demo-linux-window', 'linux/demo-linux-fullscreen',
    'windows/demo-win-window.exe', 'windows/demo-win-fullscreen.exe', 'windows/README.txt',
    'web/index.html', 'web/index.js', 'web/index.wasm'}
CYCLE_FRAMES, FADE_FRAMES, SHOT_FRAME = 2896, 64, 400

name = f'KOVA1301-{version}'
check(folder.name == name, f'the folder is {folder.name}, not {name}')
present = {str(p.relative_to(folder)) for p in folder.rglob('*') if p.is_file()}
check(present == FILES, f'the folder holds {sorted(present ^ FILES)} unexpectedly or not')

# The zip: one folder, byte for byte the folder, the programs executable.
with zipfile.ZipFile(folder.parent / f'{name}.zip') as archive:
    entries = {i.filename: i for i in archive.infolist() if not i.is_dir()}
    check(set(entries) == {f'{name}/{f}' for f in FILES}, f'the zip holds {sorted(entries)}')
    for path, info in entries.items():
        relative = path.split('/', 1)[1]
        if relative in present:
            check(archive.read(info) == (folder / relative).read_bytes(), f'{path} differs in the zip')
        if relative.startswith('linux/'):
            check(info.external_attr >> 16 & 0o111, f'{path} is not executable in the zip')

# The checksums: every other file, each one right.
sums = {}
for line in (folder / 'SHA256SUMS').read_text().splitlines():
    digest, _, path = line.partition('  ')
    sums[path] = digest
check(set(sums) == FILES - {'SHA256SUMS'}, f'SHA256SUMS names {sorted(sums)}')
for path, digest in sums.items():
    if (folder / path).is_file():
        check(hashlib.sha256((folder / path).read_bytes()).hexdigest() == digest, f'{path}: wrong checksum')

# The texts: 7-bit printable ASCII, no tabs, CR LF, within the columns and lines.
for text, columns, most_lines, needed in [
        ('KOVA1301.nfo', 80, None, [version, 'KOVA', 'Kestrel Bay 2013', 'libsdl1.2debian',
                                    'demo-linux-window', 'demo-win-fullscreen.exe', 'Escape',
                                    'Greetings', 'Credits', 'Contact', 'LGPL', 'stderr.txt']),
        ('file_id.diz', 45, 10, [version, 'KOVA']),
        ('windows/README.txt', 80, None, [version, 'stderr.txt', '64-bit'])]:
    data = (folder / text).read_bytes()
    check(re.fullmatch(rb'([\x20-\x7e]*\r\n)+', data) is not None, f'{text}: not printable ASCII lines in CR LF')
    lines = data.decode('ascii', 'replace').split('\r\n')[:-1]
    check(max(map(len, lines)) <= columns, f'{text}: a line wider than {columns} columns')
    check(most_lines is None or len(lines) <= most_lines, f'{text}: {len(lines)} lines')
    check('@' not in data.decode('ascii', 'replace'), f'{text}: a placeholder left unfilled')
    for word in needed:
        check(word in data.decode('ascii', 'replace'), f'{text} does not name {word}')

# The programs.
for program in ['linux/demo-linux-window', 'linux/demo-linux-fullscreen']:
    data = (folder / program).read_bytes()
    check(data[:5] == b'\x7fELF\x02' and struct.unpack_from('<H', data, 18)[0] == 62, f'{program}: not x86-64 ELF')
    needed = set(re.findall(r'\(NEEDED\).*\[(.*)\]', subprocess.run(
        ['readelf', '-d', folder / program], capture_output=True, text=True).stdout))
    check(needed <= {'libSDL-1.2.so.0', 'libc.so.6', 'libm.so.6', 'ld-linux-x86-64.so.2'} and
          'libSDL-1.2.so.0' in needed, f'{program} needs {sorted(needed)}')
    # Ubuntu 22.04 has glibc 2.35.
    glibc = re.findall(r'GLIBC_2\.(\d+)', subprocess.run(['objdump', '-T', folder / program],
                                                       capture_output=True, text=True).stdout)
    check(glibc and max(map(int, glibc)) <= 35, f'{program} needs glibc 2.{max(map(int, glibc or ["0"]))}')
for program in ['windows/demo-win-window.exe', 'windows/demo-win-fullscreen.exe']:
    data = (folder / program).read_bytes()
    pe = struct.unpack_from('<I', data, 0x3c)[0]
    check(data[pe:pe + 6] == b'PE\0\0\x64\x86', f'{program}: not a 64-bit Windows program')
    check(b'SDL.dll' not in data and b'libstdc++' not in data, f'{program}: not static')
check((folder / 'web/index.wasm').read_bytes()[:4] == b'\0asm', 'web/index.wasm is not WebAssembly')
check(b'index.js' in (folder / 'web/index.html').read_bytes(), 'web/index.html does not load index.js')


def decode(source, *filters):
    """The first frame of source through the filters, as RGB bytes."""
    return subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-i', source, *filters, '-frames:v', '1',
                           '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'], capture_output=True, check=True).stdout


# The screenshot: a PNG of one 256 x 256 frame, not a blank one.
png = (folder / 'screenshot.png').read_bytes()
check(png[:8] == b'\x89PNG\r\n\x1a\n' and struct.unpack('>II', png[16:24]) == (256, 256), 'screenshot: not 256 x 256 PNG')
shot = decode(folder / 'screenshot.png')
check(len({shot[i:i + 3] for i in range(0, len(shot), 3)}) >= 16, 'screenshot: hardly any colours')

# The video: its streams, its length, and the screenshot's frame in it.
probe = json.loads(subprocess.run(
    ['ffprobe', '-v', 'error', '-count_packets', '-show_streams', '-show_format', '-of', 'json',
     folder / 'KOVA1301-capture.mp4'], capture_output=True, text=True, check=True).stdout)
streams = {s['codec_type']: s for s in probe['streams']}
video, audio = streams.get('video', {}), streams.get('audio', {})
frames = CYCLE_FRAMES + FADE_FRAMES
check([video.get(k) for k in ('codec_name', 'width', 'height', 'pix_fmt', 'r_frame_rate', 'nb_read_packets')] ==
      ['h264', 1920, 1080, 'yuv420p', '25/1', str(frames)], f'the video stream: {video}')
check([audio.get(k) for k in ('codec_name', 'sample_rate')] == ['aac', '44100'], f'the sound stream: {audio}')
check(abs(float(audio.get('duration', 0)) - frames / 25) < 0.1, f'the sound lasts {audio.get("duration")} s')
sound = subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-i', folder / 'KOVA1301-capture.mp4', '-t', '20',
                        '-f', 's16le', '-ac', '1', '-'], capture_output=True).stdout
values = struct.unpack(f'<{len(sound) // 2}h', sound[:len(sound) // 2 * 2])
check(len(values) > 44100 * 19 and (sum(v * v for v in values) / len(values)) ** 0.5 > 100,
      'the sound of the first 20 s is missing or silent')
picture = decode(folder / 'KOVA1301-capture.mp4', '-vf', f'select=eq(n\\,{SHOT_FRAME - 1})')
check(len(picture) == 1920 * 1080 * 3, 'the video frame could not be read')
if len(picture) == 1920 * 1080 * 3:
    at = lambda x, y: picture[(y * 1920 + x) * 3:(y * 1920 + x) * 3 + 3]
    border = [at(x, y) for x in (0, 447, 1472, 1919) for y in (0, 27, 540, 1052, 1079)]
    check(all(max(p) <= 20 for p in border), 'the video: the picture is not centred on black')
    errors = [abs(at(448 + 4 * x + dx, 28 + 4 * y + dy)[c] - shot[(y * 256 + x) * 3 + c])
              for y in range(0, 256, 3) for x in range(0, 256, 3) for dx, dy in ((0, 0), (3, 3), (1, 2))
              for c in range(3)]
    check(sum(errors) / len(errors) < 4, f'the video frame {SHOT_FRAME} is not the screenshot scaled by 4 '
          f'with sharp pixels (mean error {sum(errors) / len(errors):.1f})')

for failure in failures:
    print(f'FAILED: {failure}')
print(f'{name}: {len(FILES)} files checked' if not failures else f'{len(failures)} failed')
sys.exit(1 if failures else 0)
