#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_receive: one valid frame of each message kind the CCB sends,
the program's own command frames, and a short mixed stream. Run from any folder."""

import os


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) & 0xFFFF if crc & 0x8000 else (crc << 1) & 0xFFFF
    return crc


def frame(code, payload, check=True):
    body = bytes([code, len(payload) + 2]) + bytes(payload)
    if not check:
        return body + b"\x00\x00"
    crc = crc16(body)
    return body + bytes([(crc >> 8) & 0x7F, crc & 0x7F])


def parameter_reply(parameter, value):
    n = len(value)
    return frame(0xEF, [0x01, 0, 0, (n << 3) | (parameter >> 7), parameter & 0x7F] + value)


SEEDS = {
    "product_info": frame(0xA2, list(b"FL-1000\0\0\0\0\0\0\0\0\0") + list(b"SN2023\0\0\0\0\0\0")),
    "driver_board": frame(0xD2, [0x15, 0x01] + [0] * 15 + list(b"V1.2.3") + [0, 0, 0x13, 0x01]),
    # The CCB sends no check bytes here: channel 2 and a zero byte stand in their place.
    "temperature": bytes([0xE0, 0x04, 0x14, 0x1F, 0x02, 0x00]),
    "module_status": frame(0xE2, [0x02, 0x65, 0x00, 0x08, 0x00, 0x01]),
    "dew_point": frame(0xE4, [0, 0, 0, 0x09, 0x60, 0]),
    "pwm_input": frame(0xE5, [0, 0x32, 0x07, 0x50, 0, 0, 0, 0]),
    "system_status": frame(0xE6, [0x54, 0x48, 0x30]),
    "clock": frame(0xEE, [0, 0, 0, 0, 0, 0, 3, 1, 6, 8, 5, 0]),
    "parameter_ccb_version": parameter_reply(4, list(b"V3.1\0\0")),
    "parameter_inputs": parameter_reply(32, [0x24, 0x0C, 0, 0x1F, 0x7F, 0, 0]),
    "parameter_outputs": parameter_reply(33, [0x03, 0, 0, 0, 0, 0, 0]),
    "parameter_settings": parameter_reply(40, [0x1E, 0x7F, 0x7F, 0x7F, 0x51, 0, 0]),
    "commands": frame(0x99, [0]) + frame(0xB3, [1]) + frame(0xEF, [0x11, 0, 0, 0x38, 0x32,
                                                                 1, 0x7F, 0x7F, 0, 0, 0, 0]),
    "mixed_stream": b"\x00\x7f\xfe" + frame(0xE6, [0x04, 0, 0x20]) + b"\x81\x85"
    + bytes([0xE0, 0x04, 0x0A, 0x00, 0x03, 0x00]) + bytes([0x9A, 0x00, 0x55])
    + frame(0xE4, [0, 0, 0, 0x01, 0x02, 0]) + bytes([0xEE, 0x0E, 0x01]),
}

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
os.makedirs(here, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(here, name + ".bin"), "wb") as f:
        f.write(data)
