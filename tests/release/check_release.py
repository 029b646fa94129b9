#!/usr/bin/env python3
"""Checks a release of tools/release.sh as an organiser or an archive meets it:
   check_release.py DIST/KOVA1301-VERSION VERSION
The zip is the folder; SHA256SUMS covers every other file; the texts keep their limits; the Linux
programs need only glibc 2.35 and SDL 1.2, the Windows ones nothing; the video is 1920 x 1080 H.264
at 25 frames per second with AAC sound, a whole cycle and the fade long, and its frame 400 is the
screenshot scaled by 4 with sharp pixels, centred on black."""
import hashlib, json, pathlib, re, struct, subprocess, sys, zipfile

folder, version = pathlib.Path(sys.argv[1]), sys.argv[2]
name, failures = f'KOVA1301-{version}', []
FILES = {'KOVA1301.nfo', 'file_id.diz', 'screenshot.png', 'KOVA1301-capture.mp4', 'SHA256SUMS',
         'linux/demo-linux-window', 'linux/demo-linux-fullscreen', 'windows/demo-win-window.exe',
         'windows/demo-win-fullscreen.exe', 'windows/README.txt', 'web/index.html', 'web/index.js', 'web/index.wasm'}
FRAMES, SHOT = 2896 + 64, 400   # the whole cycle and the fade; the screenshot's frame


def check(ok, message):
    if not ok:
        failures.append(message)


def run(*command):
    return subprocess.run(command, capture_output=True, check=True).stdout


present = {str(p.relative_to(folder)) for p in folder.rglob('*') if p.is_file()}
check(folder.name == name and present == FILES, f'{folder.name} holds {sorted(present ^ FILES)} unexpectedly or not')
with zipfile.ZipFile(folder.parent / f'{name}.zip') as archive:
    entries = {i.filename.partition('/')[2]: i for i in archive.infolist() if not i.is_dir()}
    check({i.filename.partition('/')[0] for i in archive.infolist()} == {name} and set(entries) == FILES,
          f'the zip holds {sorted(entries)}')
    for path, info in entries.items():
        check(path not in present or archive.read(info) == (folder / path).read_bytes(), f'{path} differs in the zip')
        check(not path.startswith('linux/') or info.external_attr >> 16 & 0o111, f'{path}: not executable in the zip')
sums = dict(reversed(line.split('  ', 1)) for line in (folder / 'SHA256SUMS').read_text().splitlines())
check(set(sums) == FILES - {'SHA256SUMS'}, f'SHA256SUMS names {sorted(sums)}')
for path, digest in sums.items():
    check(path in present and hashlib.sha256((folder / path).read_bytes()).hexdigest() == digest, f'{path}: checksum')

for text, columns, most_lines, words in [
        ('KOVA1301.nfo', 80, 999, [version, 'KOVA', 'Kestrel Bay 2013', 'libsdl1.2debian', 'demo-linux-window',
                                   'demo-win-fullscreen.exe', 'Escape', 'Credits', 'LGPL', 'Greetings', 'Contact']),
        ('file_id.diz', 45, 10, [version, 'KOVA']), ('windows/README.txt', 80, 999, [version, 'stderr.txt', '64-bit'])]:
    data = (folder / text).read_bytes()
    lines = data.decode('ascii', 'replace').split('\r\n')[:-1]
    check(re.fullmatch(rb'([\x20-\x7e]*\r\n)+', data) and '@' not in ''.join(lines), f'{text}: not ASCII in CR LF')
    check(len(lines) <= most_lines and max(map(len, lines)) <= columns, f'{text}: beyond {columns} x {most_lines}')
    check(all(word in ''.join(lines) for word in words), f'{text} does not name all of {words}')

for program in ['linux/demo-linux-window', 'linux/demo-linux-fullscreen']:
    needed = set(re.findall(r'\(NEEDED\).*\[(.*)\]', run('readelf', '-d', folder / program).decode()))
    check('libSDL-1.2.so.0' in needed and needed <= {'libSDL-1.2.so.0', 'libc.so.6', 'libm.so.6', 'ld-linux-x86-64.so.2'},
          f'{program} needs {sorted(needed)}')
    glibc = max(map(int, re.findall(r'GLIBC_2\.(\d+)', run('objdump', '-T', folder / program).decode())))
    check(glibc <= 35, f'{program} needs glibc 2.{glibc}: not Ubuntu 22.04')
for program in ['windows/demo-win-window.exe', 'windows/demo-win-fullscreen.exe']:
    data = (folder / program).read_bytes()
    pe = struct.unpack_from('<I', data, 0x3c)[0]
    check(data[pe:pe + 6] == b'PE\0\0\x64\x86' and b'SDL.dll' not in data, f'{program}: not static 64-bit Windows')
check((folder / 'web/index.wasm').read_bytes()[:4] == b'\0asm', 'web/index.wasm is not WebAssembly')

decode = lambda source, *how: run('ffmpeg', '-nostdin', '-loglevel', 'error', '-i', folder / source, *how, '-')
png = (folder / 'screenshot.png').read_bytes()
check(png[:8] == b'\x89PNG\r\n\x1a\n' and struct.unpack('>II', png[16:24]) == (256, 256), 'screenshot: not 256 x 256')
shot = decode('screenshot.png', '-f', 'rawvideo', '-pix_fmt', 'rgb24')
probe = json.loads(run('ffprobe', '-v', 'error', '-count_packets', '-show_streams', '-of', 'json',
                       folder / 'KOVA1301-capture.mp4'))
streams = {s['codec_type']: s for s in probe['streams']}
video, audio = streams.get('video', {}), streams.get('audio', {})
check([video.get(k) for k in ('codec_name', 'width', 'height', 'pix_fmt', 'r_frame_rate', 'nb_read_packets')] ==
      ['h264', 1920, 1080, 'yuv420p', '25/1', str(FRAMES)], f'the video stream: {video}')
check(audio.get('codec_name') == 'aac' and abs(float(audio.get('duration', 0)) - FRAMES / 25) < 0.1,
      f'the sound stream: {audio}')
sound = decode('KOVA1301-capture.mp4', '-t', '20', '-f', 's16le', '-ac', '1')
values = struct.unpack(f'<{len(sound) // 2}h', sound[:len(sound) // 2 * 2])
check(len(values) > 44100 * 19 and sum(v * v for v in values) / len(values) > 100 ** 2, 'the sound: silent')
picture = decode('KOVA1301-capture.mp4', '-vf', f'select=eq(n\\,{SHOT - 1})', '-frames:v', '1', '-f', 'rawvideo',
                 '-pix_fmt', 'rgb24')
at = lambda x, y: picture[(y * 1920 + x) * 3:(y * 1920 + x) * 3 + 3]
check(all(max(at(x, y)) <= 20 for x in (0, 447, 1472, 1919) for y in (0, 27, 540, 1052, 1079)), 'not centred on black')
errors = [abs(at(448 + 4 * x + dx, 28 + 4 * y + dy)[c] - shot[(y * 256 + x) * 3 + c]) for y in range(0, 256, 3)
          for x in range(0, 256, 3) for dx, dy in ((0, 0), (3, 3), (1, 2)) for c in range(3)]
check(sum(errors) / len(errors) < 4, f'video frame {SHOT}: not the screenshot scaled by 4 with sharp pixels '
      f'(mean error {sum(errors) / len(errors):.1f})')

for failure in failures:
    print(f'FAILED: {failure}')
print(f'{name}: {len(FILES)} files checked' if not failures else f'{len(failures)} failed')
sys.exit(1 if failures else 0)
