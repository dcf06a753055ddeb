#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets into fuzz/corpus/.

Each seed is a valid input in the target's own layout (see the comment at the
top of each target), so that fuzzing starts from exchanges that succeed and
files the program really writes. Run it again after changing a layout.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE_LENGTH = [4, 14, 14, 15, 13, 13, 20, 10, 4, 14, 3, 17, 100, 62, 4, 7, 2, 32, 144, 7]


# The seeds' addresses: the controller at 5, the computer at 3. A reply goes
# to the computer, from the controller; neither address is 0, so a checksum
# that leaves an address byte out fails on every seed.
DEVICE, COMPUTER = 5, 3


def data_reply(data, to=COMPUTER, frm=DEVICE):
    body = bytes([to, frm, 0x08]) + bytes(data)
    le = len(body)
    return bytes([0x68, le, le, 0x68]) + body + bytes([sum(body) & 0xFF, 0x16])


def ack(fc=0, to=COMPUTER, frm=DEVICE):
    return bytes([0x10, to, frm, fc, (to + frm + fc) & 0xFF, 0x16])


def read(reply, fail=False, frame=False):
    control = (0x80 if fail else 0) | (0x40 if frame else 0)
    return bytes([control, len(reply)]) + reply


WRITE_OK = b"\x00"
OPS = {"ReadTable": 0, "WriteTable": 1, "ReadProgramBlock": 2, "WriteProgramBlock": 3,
       "ReadRecordBlock": 4, "ReadDeviceType": 5, "ReadFirmwareVersion": 6,
       "ReadForeignIdent": 7, "StoreToEeprom": 8, "ProbeAddress": 9}


def open_read(reply):
    """A reply of open length comes in two reads: its length bytes, then the rest."""
    return read(reply[:3]) + read(reply[3:])


def table_arg(t):
    return bytes([t + 2])


def floats(values):
    return b"".join(struct.pack(">f", v) for v in values)


def link_seeds():
    seeds = {}
    start = bytes([DEVICE, COMPUTER])
    live = floats([21.5, 55.0]) + struct.pack(">h", 523) + floats([23.25]) + bytes([0b0101, 0, 0, 0, 0])
    live = live[:17].ljust(17, b"\x00")
    seeds["read_live"] = start + bytes([OPS["ReadTable"]]) + table_arg(11) + WRITE_OK + read(data_reply(live))
    for t in (0, 1, 3, 10, 12, 15, 19):
        seeds["read_table_%d" % t] = (start + bytes([OPS["ReadTable"]]) + table_arg(t) + WRITE_OK +
                                      read(data_reply(bytes(range(1, TABLE_LENGTH[t] + 1)))))
    seeds["read_table_13_no_decoder"] = (start + bytes([OPS["ReadTable"]]) + table_arg(13) + WRITE_OK +
                                         read(data_reply(bytes(62))))
    # A damaged reply, then a good one without a new request.
    seeds["read_retry"] = (start + bytes([OPS["ReadTable"]]) + table_arg(0) + WRITE_OK +
                           read(data_reply(floats([1.0]))[:-2] + b"\x00\x16") + read(data_reply(floats([2.0]))))
    # No answer twice: the request goes out three times, and a late answer
    # to the third is read off.
    seeds["read_silent"] = (start + bytes([OPS["ReadTable"]]) + table_arg(0) + WRITE_OK + read(b"") +
                            WRITE_OK + read(b"") + WRITE_OK + read(data_reply(floats([3.0]))) + read(b""))
    seeds["write_table_ack"] = start + bytes([OPS["WriteTable"]]) + table_arg(1) + WRITE_OK + read(ack())
    seeds["write_table_nak"] = (start + bytes([OPS["WriteTable"]]) + table_arg(4) + WRITE_OK + read(ack(5)) +
                                read(ack()))
    seeds["write_table_11_refused"] = start + bytes([OPS["WriteTable"]]) + table_arg(11)
    for v, length in ((0, 40), (1, 80), (2, 40)):
        seeds["read_program_v%d" % v] = (start + bytes([OPS["ReadProgramBlock"], v, 9 + 2, 17]) + WRITE_OK +
                                         read(data_reply(bytes(range(length)))))
        seeds["write_program_v%d" % v] = (start + bytes([OPS["WriteProgramBlock"], v, 3 + 2, 18]) + WRITE_OK +
                                          read(ack()))
    seeds["read_record_block"] = (start + bytes([OPS["ReadRecordBlock"], 15 + 1]) + WRITE_OK +
                                  read(data_reply(floats([float(i) for i in range(16)]))))
    seeds["device_type"] = start + bytes([OPS["ReadDeviceType"]]) + WRITE_OK + open_read(data_reply(b"VTQ 45-1xxx"))
    seeds["firmware"] = start + bytes([OPS["ReadFirmwareVersion"]]) + WRITE_OK + open_read(data_reply(b"FW-K-47-03"))
    # A cut identification, the repeat answered, and its late answer read off.
    seeds["device_type_retry"] = (start + bytes([OPS["ReadDeviceType"]]) + WRITE_OK + read(b"\x68\x0e") +
                                  WRITE_OK + open_read(data_reply(b"VTQ 45-1xxx")) + read(b""))
    foreign = bytes([0x68, 100, 100, 0x68, COMPUTER, DEVICE, 0x08, 0x0D]) + b"REGULATOR".ljust(32) + b"TYP".ljust(32) + bytes(32)
    seeds["foreign_ident"] = start + bytes([OPS["ReadForeignIdent"]]) + WRITE_OK + read(foreign)
    seeds["eeprom"] = start + bytes([OPS["StoreToEeprom"]]) + WRITE_OK + read(ack())
    seeds["probe"] = start + bytes([OPS["ProbeAddress"]]) + WRITE_OK + read(ack())
    seeds["broadcast_read"] = bytes([127, COMPUTER, OPS["ReadTable"]]) + table_arg(11) + WRITE_OK
    seeds["session"] = (start + bytes([OPS["ReadDeviceType"]]) + WRITE_OK + open_read(data_reply(b"VTQ 45")) +
                        bytes([OPS["ReadTable"]]) + table_arg(11) + WRITE_OK + read(data_reply(live)) +
                        bytes([OPS["WriteTable"]]) + table_arg(10) + WRITE_OK + read(ack()) +
                        bytes([OPS["ReadForeignIdent"]]) + WRITE_OK + read(b"\x68\x05", frame=False))
    seeds["framed_random"] = (start + bytes([OPS["ReadTable"]]) + table_arg(4) + WRITE_OK +
                              read(bytes(range(200, 222)), frame=True))
    return seeds


def text(s):
    b = s.encode("utf-8")
    return bytes([len(b)]) + b


PARAM_FILE = ("[ALARM1]\r\nRALA=0\r\nRELE=1\r\nSPLO=0\r\nSPHI=100\r\nHYST=1\r\n"
              "[PID]\r\nPB=1\r\nTI=100\r\nTD=1\r\nTUNE=0\r\n"
              "[COMP]\r\nPROG=0\r\nC_PR=0\r\nSP=21,50\r\nPOCATEK=0\r\nSP[0]=0,00\r\n"
              "TEP[0][0]=25,00\r\nCAS[0][0]=10\r\n").encode("cp1250")
SETTINGS_FILE = ("[DESKTOP]\r\nLeft=192\r\nTop=107\r\nHeight=523\r\nWidth=718\r\n"
                 "[GRAF]\r\nPERO=255\r\nMRIZ=-2147483633\r\nPOZADI=-2147483633\r\nG3D=1\r\nR3D=35\r\nPOCET=200\r\n"
                 "[ZAZNAM]\r\nJEDNOTKY=1\r\nLIST=1\r\nSOUBOR=15\r\n"
                 "[ADRESA]\r\nSA=0\r\nDA=0\r\n[PORT]\r\nCOM=1\r\nBAUDRATE=9600\r\n").encode("ascii")


def ini_seeds():
    probes = text("ALARM1") + text("sphi") + text("comp") + text("TEP[0][0]") + text("X") + text("Y")
    return {
        "param_file": probes + text("OSTAT") + text("PASS") + text("19") + PARAM_FILE,
        "settings": probes + text("GRAF") + text("POCET") + text("500") + SETTINGS_FILE,
        "lf_comments": probes + text("ADD") + text("ZAZNAM") + text("6") +
        b"; comment\n[ALARM1]\n  SPHI = \"80\" \n[alarm1]\nSPHI=1\nno equals\n[open",
        "czech": probes + text("SENS") + text("TYPE") + text("3") + "[ČÁST]\r\nKLÍČ=žluťoučký kůň\r\n".encode("cp1250"),
        "empty": probes + text("A") + text("B") + text("C"),
    }


def settings_seeds():
    def head(value, key, *watched):
        return struct.pack(">i", value) + bytes([key] + list(watched))
    return {
        "defaults": head(640, 2, 3, 0) + SETTINGS_FILE,
        "broken": head(-7, 9, 5, 8) + b"[GRAF]\r\nPOCET=abc\r\nMRIZ= -2147483649\r\nR3D=\t+35 \r\n[GRAF]\r\nPOCET=5\r\n",
        "empty": head(0, 16, 15, 14),
        "nul": head(2147483647, 15, 16, 16) + b"[PORT]\r\nCOM=3\x00junk\r\nBAUDRATE=+\r\n",
    }


def number_seeds():
    def head(value, sig, dec, comma=True):
        return bytes([1 if comma else 0]) + struct.pack("<d", value) + bytes([sig & 0xFF, dec & 0xFF])
    return {
        "measured": head(21.5, 5, 2) + b"21,50",
        "output": head(52.3, 4, 1) + b" 52,3\t",
        "exponent": head(123456.0, 5, 2) + b"1,2346E+5",
        "point": head(-0.005, 5, 2, False) + b"-1.5e-3",
        "integer": head(-2147483648.0, 18, 0) + b"-9223372036854775808",
        "halves": head(0.125, 2, 2) + b"+0,125",
        "junk": head(1e300, 3, 18) + b"1,2,3",
    }


PAGE_KEYS = [
    ("ALARM1", ["RALA=0", "RELE=1", "SPLO=0", "SPHI=100", "HYST=1"]),
    ("ALARM2", ["RALA=2", "RELE=0", "SPLO=-5,5", "SPHI=250", "HYST=2"]),
    ("PID", ["PB=1", "TI=100", "TD=1", "TUNE=0"]),
    ("REGO", ["TYPE=0", "F2=0", "DSER=60", "DEAD=2", "TPID=4", "PS=0", "PER=10"]),
    ("ONOF", ["PHEA=-2", "PCOO=2", "HHEA=1", "HCOO=1", "AT=1", "RE_1=0", "RE_2=1"]),
    ("SENS", ["STRS=0", "ENDS=100", "OFFS=0", "TYPE=4", "DP=1", "KOMP=1"]),
    ("DACO", ["AIN=0", "AOUT=0", "ASTR=0", "AEND=100"]),
    ("ERRO", ["RE12=0", "RE-3=0", "RE-4=0", "YOUT=0"]),
    ("OSTAT", ["OPLO=0", "OPHI=100", "PASS=0", "FILT=0", "LOCK=0"]),
    ("ADD", ["ADRESA=0", "ZAZNAM=60"]),
    ("GO", ["BEH=0", "PEND=0", "HOLD=0", "PUC=0", "DATE=0", "HOUR=0", "MIN=0"]),
]


def param_file(separator=","):
    lines = []
    for section, keys in PAGE_KEYS:
        lines.append("[%s]" % section)
        lines += [k.replace(",", separator) for k in keys]
    lines += ["[COMP]", "PROG=1", "C_PR=3", "SP=21%s50" % separator, "POCATEK=0"]
    lines += ["SP[%d]=%d%s00" % (n, 10 * n, separator) for n in range(10)]
    for p in range(10):
        for seg in range(20):
            lines.append("TEP[%d][%d]=%d%s25" % (p, seg, p * 20 + seg, separator))
            lines.append("CAS[%d][%d]=%d" % (p, seg, seg * 5))
    return ("\r\n".join(lines) + "\r\n").encode("cp1250")


def param_seeds():
    return {
        "full_comma_v3": bytes([3, 1]) + param_file(","),
        "full_point_v1": bytes([1, 0]) + param_file("."),
        "wrong_separator_v2": bytes([2, 0]) + param_file(","),
        "letters": bytes([0, 1]) + b"[ALARM1]\r\nSPLO=abc\r\nRALA=x\r\n[REGO]\r\nTPID=99\r\n[COMP]\r\nSP=1e39\r\n",
        "excerpt": bytes([3, 1]) + PARAM_FILE,
    }


def write(name, seeds):
    folder = os.path.join(HERE, "corpus", name)
    os.makedirs(folder, exist_ok=True)
    for seed, data in seeds.items():
        with open(os.path.join(folder, seed), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("link", link_seeds())
    write("ini_file", ini_seeds())
    write("settings_ini", settings_seeds())
    write("number_text", number_seeds())
    write("param_file", param_seeds())
