"""44.1 kHz, 16-bit stereo WAV files for the samples, the tests and the
benchmarks: the canonical 44-byte header, and the chunk layouts other tools
write (other chunks before or after the samples, longer format chunks, a
data size that is not filled in)."""
import struct

RATE = 44100
CHANNELS = 2
BITS = 16
# The PCM subformat of WAVE_FORMAT_EXTENSIBLE.
PCM_SUBFORMAT = bytes.fromhex("0100000000001000800000aa00389b71")


def chunk(name, body):
    """A RIFF chunk: its name, its size, its body and a pad byte after a
    body of odd size."""
    return name + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def format_body(size=16, rate=RATE, channels=CHANNELS, bits=BITS, tag=1):
    """The body of a format chunk: 16 bytes of PCM fields, 18 with an empty
    extension, or 40 for WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE) with the PCM
    subformat."""
    block = channels * bits // 8
    body = struct.pack("<HHIIHH", 0xFFFE if size == 40 else tag, channels, rate, rate * block, block, bits)
    if size == 18:
        body += struct.pack("<H", 0)
    elif size == 40:
        body += struct.pack("<HHI", 22, bits, 3) + PCM_SUBFORMAT
    return body


def wav_bytes(data, before_format=(), before_data=(), after_data=(), format_size=16, data_size=None):
    """A whole file: chunks given as (name, body) pairs before the format
    chunk, between it and the data chunk, and after the data; data_size
    replaces the data chunk's size field (0xFFFFFFFF: not filled in)."""
    chunks = b"".join(chunk(n, b) for n, b in before_format) + chunk(b"fmt ", format_body(format_size))
    chunks += b"".join(chunk(n, b) for n, b in before_data)
    data_chunk = chunk(b"data", data)
    if data_size is not None:
        data_chunk = b"data" + struct.pack("<I", data_size) + data_chunk[8:]
    chunks += data_chunk + b"".join(chunk(n, b) for n, b in after_data)
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def wav_header(data_size):
    """The canonical 44-byte header for data_size bytes of samples."""
    return (b"RIFF" + struct.pack("<I", 36 + data_size) + b"WAVE" + chunk(b"fmt ", format_body()) +
            b"data" + struct.pack("<I", data_size))


def write_wav(path, data):
    with open(path, "wb") as f:
        f.write(wav_header(len(data)) + data)
