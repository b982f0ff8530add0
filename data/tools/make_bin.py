#!/usr/bin/env python3
"""Writes the shipped configuration set data/Bin/ (the committed files are what ships).

Run from anywhere: python3 data/tools/make_bin.py [--check registers.tsv]
Every file is Latin-1 text with CR LF line ends. The script refuses to write a set that
breaks the readers' limits (99 characters per line, 399 in the scope files,
names of at most 19 characters, duplicate addresses, gaps in the status block ranges).
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.path.normpath(os.path.join(HERE, "..", "Bin"))

FULL_MIN, FULL_MAX = -32768, 32767


# --- register table entries -----------------------------------------------------------
# (address, name, access, kind letter, min, max, default, compared)

def par(addr, name, lo, hi, default, access="U"):
    """A real parameter: written by full-table writes, compared with files."""
    return (addr, name, access, "A", lo, hi, default, 1)


def exp(addr, name, lo, hi, default):
    """A parameter offered at the Expert level only."""
    return par(addr, name, lo, hi, default, access="E")


def ref(addr, name, lo, hi, default):
    """A run-time reference: written with the table, never counted as unsaved."""
    return (addr, name, "U", "D", lo, hi, default, 0)


def live(addr, name, default=0):
    """A live value the drive writes (status words, measurements, latched alarms)."""
    return (addr, name, "U", "N", FULL_MIN, FULL_MAX, default, 0)


def ident(addr, name, default):
    """An identification register: read-only, fixed per unit."""
    return (addr, name, "U", "N", FULL_MIN, FULL_MAX, default, 0)


def cmd(addr, name):
    """A command or request register: only the program's own commands go there."""
    return (addr, name, "E", "N", FULL_MIN, FULL_MAX, 0, 0)


# Parameter groups shared by the single-axis style drives, keyed by the Std address.
def motor_and_loops(a):
    """a: dict role -> address for this kind."""
    return [
        exp(a["poles"], "Motor Poles", 2, 32, 8),
        exp(a["respoles"], "Resolver Poles", 2, 16, 2),
        exp(a["encoder"], "Encoder Pulses", 1, 32767, 1024),
        exp(a["phase"], "Phase Angle", 0, 360, 0),
        exp(a["irms"], "Current I rms", 0, 100, 50),
        exp(a["ipeak"], "Current I peak", 0, 300, 200),
        exp(a["ikp"], "Current Loop KP", 0, 10000, 800),
        exp(a["iti"], "Current Loop Ti", 1, 1000, 10),
        exp(a["i2t"], "I2T Message Time", 0, 6000, 100),
        exp(a["skp"], "Speed Loop KP", 0, 10000, 500),
        exp(a["ski"], "Speed Loop KI", 0, 10000, 100),
        exp(a["skp2"], "Speed Loop KP2", 0, 10000, 0),
        exp(a["sfbk"], "Speed Fbk Filter", 0, 1000, 5),
        exp(a["spid"], "Speed PID Filter", 0, 1000, 5),
        par(a["speedlim"], "Speed Limit", 100, 10000, 3000),
        par(a["acc"], "Acceleration Ramp", 0, 10000, 100),
        par(a["dec"], "Deceleration Ramp", 0, 10000, 100),
        par(a["emg"], "Emergency Ramp", 0, 10000, 50),
        exp(a["kps"], "Pos Kp Static", 0, 10000, 100),
        exp(a["kpd"], "Pos Kp Dynamic", 0, 10000, 200),
        exp(a["ff"], "Pos Feed Forward", 0, 100, 0),
        par(a["pulses"], "Pulses per Turn", 128, 16384, 1024),
        par(a["num"], "Gear Numerator", -32767, 32767, 1),
        par(a["den"], "Gear Denominator", 1, 32767, 1),
        exp(a["posflt"], "Pos Ref Filter", 0, 1000, 0),
        par(a["encdiv"], "Encoder Out Divider", 1, 8, 1),
    ]


def analog_inputs(a):
    return [
        par(a["ai1flt"], "AI1 Filter", 0, 10000, 10),
        par(a["ai1db"], "AI1 Dead Band", 0, 1000, 0),
        par(a["ai1ofs"], "AI1 Offset", -3277, 3277, 0),
        par(a["ai2flt"], "AI2 Filter", 0, 10000, 10),
        par(a["ai2db"], "AI2 Dead Band", 0, 1000, 0),
        par(a["ai2ofs"], "AI2 Offset", -3277, 3277, 0),
    ]


def io_registers(selectors, params):
    """selectors/params: dict row caption -> address. Selector values are item indexes."""
    rows = []
    for row, addr in selectors.items():
        rows.append(par(addr, row + " Function", 0, 20, 0))
    for row, addr in params.items():
        rows.append(par(addr, row + " Param", FULL_MIN, FULL_MAX, 0))
    return rows


def homing(a, methods_max, method_default):
    return [
        par(a["hspeed"], "Homing Speed", 0, 6000, 500),
        par(a["hmethod"], "Homing Method", 0, methods_max, method_default),
        par(a["hoffhi"], "Homing Offset Hi", FULL_MIN, FULL_MAX, 0),
        par(a["hofflo"], "Homing Offset Lo", FULL_MIN, FULL_MAX, 0),
        par(a["hacc"], "Homing Accel", 1, 10000, 100),
        par(a["hzero"], "Homing Zero Speed", 0, 1000, 50),
        par(a["hangle"], "Max Search Angle", 0, 360, 360),
    ]


def positions(hi1, lo1, hi2, lo2):
    return [
        par(hi1, "Position 1 Hi", FULL_MIN, FULL_MAX, 0),
        par(lo1, "Position 1 Lo", FULL_MIN, FULL_MAX, 0),
        par(hi2, "Position 2 Hi", FULL_MIN, FULL_MAX, 0),
        par(lo2, "Position 2 Lo", FULL_MIN, FULL_MAX, 0),
    ]


def hardware_info(first, values):
    return [ident(first + i, "Hw Info r%d" % i, v) for i, v in enumerate(values)]


STD_LIKE = dict(poles=7, respoles=8, encoder=9, phase=11, irms=13, ipeak=14, ikp=15, iti=16,
                i2t=21, skp=23, ski=24, skp2=25, sfbk=26, spid=27, speedlim=31, acc=34,
                dec=35, emg=36, kps=38, kpd=39, ff=41, pulses=45, num=46, den=47, posflt=49,
                encdiv=68, ai1flt=17, ai1db=28, ai1ofs=29, ai2flt=22, ai2db=50, ai2ofs=30,
                hspeed=90, hmethod=91, hoffhi=92, hofflo=93, hacc=106, hzero=107, hangle=108)

STD_IO_SELECTORS = {"DGT-IN2": 104, "DGT-IN3": 87, "DGT-IN4": 88, "DGT-IN5": 105,
                    "AUX1": 124, "AUX2": 127, "OUT1": 125, "OUT2": 126}
STD_IO_PARAMS = {"DGT-IN2": 128, "DGT-IN3": 129, "DGT-IN4": 130, "DGT-IN5": 131,
                 "AUX1": 132, "AUX2": 133, "OUT1": 136, "OUT2": 137}


def std_table():
    t = [
        ident(0, "Model Code", 0x010A),        # family 1 (ZEPHON), size 10
        ident(1, "Firmware Version", 0x0203),  # 2.3
        par(2, "Device Address", 1, 255, 1),
        par(4, "CAN Baud Rate", 50, 1000, 500),
        exp(12, "Feedback Type", 0, 3, 1),
        exp(37, "Square Wave Period", 10, 10000, 1000),
        par(42, "Max Position Error", 0, 32767, 10000),
        par(44, "Hw Control", 0, 15, 4),
        live(51, "Alarm Word Lo"), live(52, "Alarm Word Hi"),
        live(53, "Bus Voltage"), live(55, "Drive Temperature"),
        live(58, "Motor Current"), live(59, "Motor Speed"), live(60, "Rotor Angle"),
        live(61, "AO1 Value"), live(62, "AO2 Value"), live(65, "Drive State"),
        par(66, "AO1 Signal", 0, 10, 0), par(67, "AO2 Signal", 0, 10, 1),
        cmd(69, "Command Register"),
        par(70, "Relay/Brake Bits", FULL_MIN, FULL_MAX, 0),
        par(71, "Operating Mode", 0, 10, 0),
        live(72, "Hw I/O State"),
        cmd(73, "Enable Request"), cmd(74, "Disable Request"),
        par(79, "Torque Saturation", 0, 300, 100),
        ref(80, "Digital Speed Ref", -32767, 32767, 0),
        live(83, "Hist Alarm Lo"), live(84, "Hist Alarm Hi"),
        ident(85, "Boot Version", 0x0101),
        par(86, "Main Voltage", 1, 480, 230),
        par(103, "Regen Resistor", 0, 800, 0),
        live(134, "Position Hi"), live(135, "Position Lo"),
        live(138, "AI1 Value"), live(139, "AI2 Value"),
    ]
    t += motor_and_loops(STD_LIKE) + analog_inputs(STD_LIKE)
    t += io_registers(STD_IO_SELECTORS, STD_IO_PARAMS)
    t += homing(STD_LIKE, 8, 0)
    t += positions(146, 147, 148, 149)
    return t


def power_table():
    a = STD_LIKE
    t = [
        ident(0, "Model Code", 0x0564),        # Tarn Power 300
        ident(1, "Boot Version", 0x0101),
        ident(2, "Firmware Version", 0x0110),
        ident(3, "Application Ver", 12),
        par(4, "Link Base Address", 1, 254, 1),
        par(5, "Link Baud Rate", 96, 1152, 1152),  # x 100 = 115200 baud
        par(6, "Drive Units", 1, 15, 3),
        par(7, "Device Address", 1, 255, 1),
        par(8, "CAN Baud Rate", 10, 1000, 1000),
        exp(9, "Encoder Pulses", 1, 32767, 1024),
        par(11, "Main Voltage", 1, 400, 400),
        par(12, "Regen Resistor", 0, 7, 0),
        exp(13, "Current I rms", 0, 100, 50),
        exp(14, "Current I peak", 0, 300, 200),
        exp(15, "Current Loop KP", 0, 10000, 800),
        exp(16, "Current Loop Ti", 1, 1000, 10),
        exp(21, "I2T Message Time", 0, 6000, 100),
        exp(23, "Speed Loop KP", 0, 10000, 500),
        exp(24, "Speed Loop KI", 0, 10000, 100),
        exp(25, "Speed Loop KP2", 0, 10000, 0),
        live(26, "Running Time Hi"), live(27, "Running Time Lo"),
        par(29, "AI1 Offset", -3277, 3277, 0),
        par(30, "AI2 Offset", -3277, 3277, 0),
        par(31, "Speed Limit", 100, 10000, 3000),
        par(34, "Acceleration Ramp", 0, 10000, 100),
        par(35, "Deceleration Ramp", 0, 10000, 100),
        par(36, "Emergency Ramp", 0, 10000, 50),
        exp(38, "Pos Kp Static", 0, 10000, 100),
        exp(39, "Pos Kp Dynamic", 0, 10000, 200),
        exp(41, "Pos Feed Forward", 0, 100, 0),
        par(42, "Max Position Error", 0, 32767, 10000),
        par(44, "Position Polarity", 0, 15, 0),
        par(45, "Pulses per Turn", 128, 16384, 1024),
        par(46, "Gear Numerator", -32767, 32767, 1),
        par(47, "Gear Denominator", 1, 32767, 1),
        exp(49, "Pos Ref Filter", 0, 1000, 0),
        live(65, "Input State"),
        par(68, "Encoder Out Divider", 1, 8, 1),
        cmd(69, "Offset Control"),
        par(70, "Brake/Dir Bits", FULL_MIN, FULL_MAX, 0),
        par(71, "Gearing Mode", 0, 10, 0),
        live(72, "Hw I/O State"),
        cmd(73, "Force-On Mask"), cmd(74, "Release Mask"),
        live(78, "Bus Voltage"), live(79, "Backup Voltage"), live(80, "Current"),
        live(81, "I2t Current"), live(82, "I2t Regen"),
        live(83, "Alarm Word Lo"), live(84, "Alarm Word Hi"), live(85, "Status Reserved"),
        live(86, "Hist Alarm Lo"), live(87, "Hist Alarm Hi"),
        par(88, "DGT-IN4 Function", 0, 20, 0),
        cmd(90, "Command Register"),
        live(98, "Power Temperature"),
        live(116, "Drive Alarm Lo"), live(117, "Drive Alarm Hi"),
        live(198, "Phasing State"),
        cmd(200, "Enable Request"), cmd(201, "Disable Request"), cmd(202, "Phasing Control"),
        ident(249, "Signature Pair 2", 0x4E52),  # "RN": a Tarn Power, never "CA"
        ident(250, "Signature Pair 1", 0x4154),  # "TA"
    ]
    # 104 and 105 are hardware info r4/r5 here, not I/O selectors.
    t += hardware_info(100, [1, 2, 3, 2024, 11, 1, 500, 7])
    sel = {k: v for k, v in STD_IO_SELECTORS.items() if v not in (87, 88, 104, 105)}
    t += io_registers(sel, STD_IO_PARAMS)
    return t


def drive_table():
    a = dict(poles=12, respoles=15, encoder=14, phase=16, irms=17, ipeak=18, ikp=19, iti=20,
             i2t=23, skp=43, ski=44, skp2=45, sfbk=46, spid=47, speedlim=36, acc=40, dec=41,
             emg=42, kps=58, kpd=57, ff=59, pulses=68, num=69, den=70, posflt=71, encdiv=72,
             ai1flt=26, ai1db=27, ai1ofs=25, ai2flt=32, ai2db=33, ai2ofs=31,
             hspeed=217, hmethod=215, hoffhi=222, hofflo=223, hacc=216, hzero=218,
             hangle=219)
    t = [
        ident(0, "Model Code", 0x056A),         # Tarn Drive 300, 6 A
        ident(2, "Firmware Version", 0x0120),
        par(6, "Device Address", 1, 255, 1),
        par(7, "CAN Baud Rate", 10, 1000, 1000),
        exp(13, "Feedback Type", 0, 3, 0),
        live(28, "AI1 Value"), live(34, "AI2 Value"),
        live(51, "Aux Status Lo"), live(52, "Aux Status Hi"),
        exp(56, "Square Wave Period", 10, 10000, 1000),
        par(60, "Max Pos Error Hi", 0, 32767, 0),
        par(61, "Max Pos Error Lo", FULL_MIN, FULL_MAX, 10000),
        par(66, "Position Polarity", 0, 15, 0),
        par(76, "Relay/Brake Bits", FULL_MIN, FULL_MAX, 0),
        par(78, "Operating Mode", 0, 20, 0),
        ident(103, "Drive Model", 300),
        live(116, "Alarm Word Lo"), live(117, "Alarm Word Hi"), live(118, "Status Reserved"),
        live(119, "Hist Alarm Lo"), live(120, "Hist Alarm Hi"),
        live(121, "Running Time Hi"), live(122, "Running Time Lo"),
        live(184, "Bus Voltage"), live(185, "Status Reserved 1"),
        live(186, "Status Reserved 2"), live(187, "Drive Temperature"),
        live(193, "Motor Current"), live(194, "Motor Speed"), live(195, "Rotor Angle"),
        live(196, "Position Hi"), live(197, "Position Lo"),
        live(198, "Drive State"), live(199, "Hw I/O State"),
        cmd(200, "Enable Request"), cmd(201, "Disable Request"),
        cmd(202, "Command Register"),
        par(207, "AO1 Signal", 0, 11, 0), live(208, "Status Reserved 3"),
        live(209, "AO1 Value"),
        par(210, "AO2 Signal", 0, 11, 1), live(211, "Status Reserved 4"),
        live(212, "AO2 Value"),
        par(213, "Torque Saturation", 0, 300, 100),
        ref(214, "Digital Speed Ref", -32767, 32767, 0),
        par(225, "Hw Control", 0, 15, 0),
    ]
    t += motor_and_loops(a) + analog_inputs(a)
    t += io_registers(
        {"DGT-IN2": 79, "DGT-IN3": 80, "DGT-IN4": 81, "DGT-IN6": 83, "DGT-IN7": 84,
         "DGT-IN8": 85, "DGT-IN9": 86, "AUX1": 87, "AUX2": 88, "OUT1": 99, "OUT2": 101},
        {"DGT-IN2": 89, "DGT-IN3": 90, "DGT-IN4": 91, "DGT-IN6": 93, "DGT-IN7": 94,
         "DGT-IN8": 95, "DGT-IN9": 96, "AUX1": 97, "AUX2": 98, "OUT1": 100, "OUT2": 102})
    t += homing(a, 35, 35)
    t += positions(62, 63, 64, 65)
    t += hardware_info(370, [2, 0, 1, 2024, 9, 2, 300, 4])
    return t


def orca_table():
    a = dict(STD_LIKE)
    a["kps"], a["kpd"] = 39, 38  # the Orca swaps the two position gains
    t = [
        ident(0, "Model Code", 60),            # 6.0 A
        ident(1, "Firmware Version", 0x0105),
        par(2, "Device Address", 1, 255, 1),
        par(4, "CAN Baud Rate", 50, 1000, 500),
        exp(12, "Feedback Type", 0, 9, 0),
        exp(37, "Square Wave Period", 10, 10000, 1000),
        par(42, "Max Position Error", 0, 32767, 10000),
        par(44, "Position Polarity", 0, 15, 0),
        live(51, "Alarm Word Lo"), live(52, "Alarm Word Hi"), live(53, "Bus Voltage"),
        live(54, "Status Reserved 1"), live(55, "Drive Temperature"),
        live(56, "Status Reserved 2"), live(57, "Status Reserved 3"),
        live(58, "Motor Current"), live(59, "Motor Speed"),
        live(60, "Rotor Angle"), live(61, "AO1 Value"), live(62, "AO2 Value"),
        live(63, "Status Reserved 4"), live(64, "Status Reserved 5"), live(65, "Drive State"),
        par(66, "AO1 Signal", 0, 10, 0), par(67, "AO2 Signal", 0, 10, 1),
        cmd(69, "Command Register"),
        par(70, "Relay/Brake Bits", FULL_MIN, FULL_MAX, 0),
        par(71, "Operating Mode", 0, 20, 0),
        live(72, "Hw I/O State"),
        cmd(73, "Enable Request"), cmd(74, "Disable Request"),
        live(75, "Status Reserved 6"), live(76, "Status Reserved 7"),
        live(77, "Status Reserved 8"), live(78, "Status Reserved 9"),
        par(79, "Torque Saturation", 0, 300, 100),
        ref(80, "Digital Speed Ref", -32767, 32767, 0),
        live(81, "Status Reserved 10"), live(82, "Status Reserved 11"),
        live(83, "Hist Alarm Lo"), live(84, "Hist Alarm Hi"),
        live(134, "Position Hi"), live(135, "Position Lo"),
        live(138, "AI1 Value"), live(139, "AI2 Value"),
        exp(140, "Stepper Step", 1, 256, 16),
        exp(141, "Stepper Ramp", 0, 10000, 100),
        exp(142, "Stepper Speed", 0, 10000, 1000),
        live(143, "Status Reserved 12"),
        live(144, "I2t Regen"), live(145, "Iq Reference"),
        ident(249, "Signature Pair 2", 0x4143),  # "CA"
        ident(250, "Signature Pair 1", 0x524F),  # "OR"
    ]
    # Motor poles may hold the negative motor-type codes -1..-3 (DC, stepper, asynchronous).
    t += [e if e[0] != 7 else exp(7, "Motor Poles", 0, 32, 8) for e in motor_and_loops(a)]
    t += analog_inputs(a)
    t += io_registers(STD_IO_SELECTORS, STD_IO_PARAMS)
    t += homing(a, 9, 0)
    t += positions(146, 147, 148, 149)
    t += hardware_info(150, [3, 1, 0, 2024, 10, 3, 230, 2])
    t += [live(180 + i, "LCD Line%d Ch%d-%d" % (1 + i // 4, 1 + 2 * (i % 4), 2 + 2 * (i % 4)))
          for i in range(8)]
    return t


# Status ranges the poll reads as one block: the table must hold every address of each.
BLOCKS = {
    "Std": [(134, 2)],
    "Power": [(78, 10), (26, 2), (249, 2)],
    "Drive": [(116, 5), (121, 2), (184, 4), (193, 5), (198, 2), (207, 6)],
    "Orca230": [(51, 9), (60, 8), (72, 13), (134, 12), (180, 8)],
}


def device_file(table, title):
    lines = ["Kelm Devices Global Configuration File",
             "Name\tAccess\tKind\tAddress\tMin\tMax\tDefault\tCompared",
             "; " + title + ": one register per line, sorted by address"]
    for addr, name, acc, kind, lo, hi, default, compared in sorted(table):
        lines.append("%s\t%s\t%s\t%d\t%d\t%d\t%d\t%d" % (name, acc, kind, addr, lo, hi,
                                                        default, compared))
    return lines


def check_table(kind, table):
    seen = set()
    for e in table:
        addr, name, acc, letter, lo, hi, default = e[:7]
        assert addr not in seen, (kind, addr)
        seen.add(addr)
        assert 1 <= len(name) <= 19, (kind, name)
        assert "\t" not in name
        assert FULL_MIN <= lo <= default <= hi <= FULL_MAX, (kind, addr, lo, default, hi)
    for start, count in BLOCKS[kind]:
        for a in range(start, start + count):
            assert a in seen, (kind, "block gap", a)
    return seen


# --- alarm texts ------------------------------------------------------------------------

ALARMS = [
    # (Std, Power, Drive, Orca230)
    ("Overcurrent", "Bus Overvoltage", "Overcurrent", "Overcurrent"),
    ("Overvoltage", "Bus Undervoltage", "Bus Overvoltage", "Overvoltage"),
    ("Undervoltage", "Mains Phase Loss", "Bus Undervoltage", "Undervoltage"),
    ("Drive Overtemp", "Mains Overvoltage", "Drive Overtemp", "Heatsink Overtemp"),
    ("Motor Overtemp", "Heatsink Overtemp", "Motor Overtemp", "Motor Overtemp"),
    ("I2t Limit", "Regen Overload", "I2t Limit", "I2t Motor"),
    ("Feedback Fault", "Regen Short Circuit", "TarnCoder Fault", "I2t Regen"),
    ("Resolver Fault", "Precharge Fault", "Resolver Fault", "Feedback Fault"),
    ("Encoder Fault", "Backup Voltage Low", "Encoder Fault", "Hall Sensor Fault"),
    ("Following Error", "I2t Current", "Following Error", "Following Error"),
    ("Overspeed", "I2t Regen", "Overspeed", "Overspeed"),
    ("Short Circuit", "Ground Fault", "Short Circuit", "Short Circuit"),
    ("Ground Fault", "Overcurrent", "Ground Fault", "Ground Fault"),
    ("EEPROM Checksum", "EEPROM Checksum", "EEPROM Checksum", "EEPROM Checksum"),
    ("Parameter Error", "Link Timeout", "Parameter Error", "Parameter Error"),
    ("Watchdog", "Drive Unit Missing", "Watchdog", "Watchdog"),
    ("CAN Bus Off", "CAN Bus Off", "Link Timeout", "CAN Bus Off"),
    ("Serial Timeout", "Fan Fault", "Power Unit Alarm", "Serial Timeout"),
    ("Analog Input Lost", "Relay Fault", "CAN Bus Off", "Analog Input Lost"),
    ("Limit Switch +", "Mains Frequency", "Limit Switch +", "Limit Switch +"),
    ("Limit Switch -", "Soft Start Fault", "Limit Switch -", "Limit Switch -"),
    ("Software Limit +", "Fuse Blown", "Software Limit +", "Software Limit +"),
    ("Software Limit -", "Unit Count Error", "Software Limit -", "Software Limit -"),
    ("Homing Failed", "Address Conflict", "Homing Failed", "Homing Failed"),
    ("Phasing Failed", "Watchdog", "Phasing Failed", "Phasing Failed"),
    ("Brake Fault", "Parameter Error", "Brake Fault", "Brake Fault"),
    ("Regen Overload", "Internal 24V Low", "Analog Input Lost", "STO 1 Open"),
    ("Power Supply Fault", "Emergency Stop", "Emergency Stop", "STO 2 Open"),
    ("Emergency Stop", "Hardware Mismatch", "STO Active", "Stepper Stall"),
    ("Internal Fault", "Firmware Mismatch", "Internal Fault", "Armature Fault"),
    ("Firmware Mismatch", "Internal Fault", "Firmware Mismatch", "Internal Fault"),
    ("Fan Fault", "Service Required", "Fan Fault", "Fan Fault"),
]


def alarm_file():
    lines = ["Kelm Allarms Messages Configuration File",
             "; Nr\tDevice\tTarn Power\tTarn Drive\tTarn Orca 230"]
    assert len(ALARMS) == 32  # one text per bit of the two alarm words
    for n, texts in enumerate(ALARMS, start=1):
        assert all(0 < len(t) <= 30 for t in texts)
        lines.append("\t".join([str(n)] + list(texts)))
    return lines


# --- digital I/O strings ----------------------------------------------------------------
# An item: (momentary, text, code, min, max). Codes name the function: one code, one text.

ENABLE = (0, "Drive Enable", 1, 0, 0)
LIMIT_POS = (0, "Limit Switch +", 2, 0, 0)
LIMIT_NEG = (0, "Limit Switch -", 3, 0, 0)
HOME = (0, "Home Sensor", 4, 0, 0)
ALARM_RESET = (1, "Alarm Reset", 5, 0, 0)
START_HOMING = (1, "Start Homing", 6, 0, 0)
SPEED_OVERRIDE = (0, "Speed Override %", 7, 0, 200)
TORQUE_LIMIT = (0, "Torque Limit %", 8, 0, 300)
SPEED_OFFSET = (0, "Speed Offset rpm", 9, -1000, 1000)
REVERSE = (0, "Reverse Direction", 10, 0, 0)
START_TASK = (1, "Start Task", 11, 1, 32)
STOP_MOTION = (0, "Stop Motion", 12, 0, 0)
GEARING = (0, "Gearing Enable", 14, 0, 0)
QUICK_STOP = (1, "Quick Stop", 15, 0, 0)
EMERGENCY = (0, "Emergency Stop", 16, 0, 0)
STO1 = (0, "Safe Torque Off 1", 20, 0, 0)
STO2 = (0, "Safe Torque Off 2", 21, 0, 0)

READY = (0, "Drive Ready", 50, 0, 0)
ALARM_OUT = (0, "Alarm Active", 51, 0, 0)
BRAKE = (0, "Brake Release", 52, 0, 0)
SPEED_REACHED = (0, "Speed Reached rpm", 53, 0, 6000)
IN_POSITION = (0, "In Position pulses", 54, 0, 32767)
TORQUE_ACTIVE = (0, "Torque Limit Active", 55, 0, 0)
HOMING_DONE = (0, "Homing Done", 56, 0, 0)
CURRENT_ABOVE = (0, "Current Above %", 57, 0, 300)

OUTPUTS = [READY, ALARM_OUT, BRAKE, SPEED_REACHED, IN_POSITION, TORQUE_ACTIVE, HOMING_DONE,
           CURRENT_ABOVE]

CAPTIONS = ["DGT-IN1 (ENABLE)"] + ["DGT-IN%d" % i for i in range(2, 10)] + \
           ["DGT-IN-AUX1", "DGT-IN-AUX2", "DGT-OUT 1", "DGT-OUT 2"]


def not_used(row):
    return (0, "Not Used", 100 + row, 0, 0)


def choice(row, default, offered):
    """A row with a selector: its default first, the other offered functions, Not Used."""
    return [default] + [f for f in offered if f != default] + [not_used(row)]


def fixed(item):
    return [item]


def io_groups(kind):
    if kind == "Std":
        inputs = [LIMIT_POS, LIMIT_NEG, HOME, ALARM_RESET, START_HOMING, SPEED_OVERRIDE,
                  TORQUE_LIMIT, SPEED_OFFSET, REVERSE, GEARING, QUICK_STOP]
        rows = [fixed(ENABLE),
                choice(1, LIMIT_POS, inputs), choice(2, LIMIT_NEG, inputs),
                choice(3, HOME, inputs), choice(4, ALARM_RESET, inputs)]
        # DGT-IN6..9 exist on the connector but carry no function on this model.
        rows += [fixed((0, "Reserved", 110 + r, 0, 0)) for r in range(5, 9)]
        rows += [choice(9, SPEED_OVERRIDE, inputs), choice(10, TORQUE_LIMIT, inputs)]
    elif kind == "Drive":
        inputs = [LIMIT_POS, LIMIT_NEG, HOME, ALARM_RESET, START_HOMING, START_TASK,
                  STOP_MOTION, SPEED_OVERRIDE, TORQUE_LIMIT, SPEED_OFFSET, REVERSE, GEARING,
                  QUICK_STOP]
        rows = [fixed(ENABLE),
                choice(1, LIMIT_POS, inputs), choice(2, LIMIT_NEG, inputs),
                choice(3, HOME, inputs), fixed(EMERGENCY),
                choice(5, ALARM_RESET, inputs), choice(6, START_HOMING, inputs),
                choice(7, STOP_MOTION, inputs), choice(8, GEARING, inputs),
                choice(9, SPEED_OVERRIDE, inputs), choice(10, TORQUE_LIMIT, inputs)]
    else:  # Orca230: DGT-IN6 is the alarm reset, DGT-IN8/9 the safe torque off inputs
        inputs = [LIMIT_POS, LIMIT_NEG, HOME, START_HOMING, SPEED_OVERRIDE, TORQUE_LIMIT,
                  SPEED_OFFSET, REVERSE, GEARING, QUICK_STOP]
        rows = [fixed(ENABLE),
                choice(1, LIMIT_POS, inputs), choice(2, LIMIT_NEG, inputs),
                choice(3, HOME, inputs), choice(4, REVERSE, inputs),
                fixed(ALARM_RESET), fixed((0, "Not Available", 106, 0, 0)),
                fixed(STO1), fixed(STO2),
                fixed((0, "Not Available", 109, 0, 0)),
                fixed((0, "Not Available", 110, 0, 0))]
    rows += [choice(11, READY, OUTPUTS), choice(12, ALARM_OUT, OUTPUTS)]
    assert len(rows) == 13
    return rows


def check_io(kind, rows):
    by_code = {}
    for items in rows:
        for flag, text, code, lo, hi in items:
            assert by_code.setdefault(code, text) == text, (kind, code, text)
    defaults = [items[0][2] for items in rows]
    assert len(set(defaults)) == 13, (kind, "row defaults share a function")


def io_file(kind, title):
    lines = ["Kelm Digital I/O Configuration File",
             "; " + title + ": Caption\tMulti\tMomentary\tText\tCode\tMin\tMax"]
    for caption, items in zip(CAPTIONS, io_groups(kind)):
        multi = 1 if len(items) > 1 else 0
        for i, (flag, text, code, lo, hi) in enumerate(items):
            head = "%s\t%d" % (caption, multi) if i == 0 else "\t"
            lines.append("%s\t%d\t%s\t%d\t%d\t%d" % (head, flag, text, code, lo, hi))
    return lines


# --- analog-out labels ------------------------------------------------------------------

def analog_labels_file(labels):
    # No ignored second line in this format: a comment keeps the caption out of the data.
    lines = ["Kelm Analog Outs Labels", "; Analog Out 1\tAnalog Out 2"]
    lines += ["%s\t%s" % (l, l) for l in labels]
    return lines


STD_AO = ["Speed", "Speed Reference", "Current", "Current Reference", "Position Error",
          "Bus Voltage", "Drive Temperature", "Analog Input 1", "Analog Input 2", "I2t",
          "Rotor Angle"]
TARN_AO = ["Speed", "Speed Reference", "Iq Current", "Id Current", "Iq Reference",
           "Position Error", "Bus Voltage", "Drive Temperature", "Analog Input 1",
           "Analog Input 2", "I2t", "Rotor Angle"]
ORCA_AO = ["Speed", "Speed Reference", "Current", "Current Reference", "Position Error",
           "Bus Voltage", "Heatsink Temperature", "Analog Input 1", "Analog Input 2",
           "I2t Motor", "Armature Voltage"]


# --- bootloader -------------------------------------------------------------------------

BOOT_REGISTER = 990      # writing BOOT_VALUE there restarts the drive into its loader
BOOT_VALUE = 0x55AA


def bootloader_file():
    return ["Kelm bootloader configuration file",
            "Kind\tRegister\tValue\tLoader",
            "Tarn Drive\t%d\t%d\tTarnBootLoader" % (BOOT_REGISTER, BOOT_VALUE),
            "Tarn Orca 230\t%d\t%d\tOrcaBootLoader" % (BOOT_REGISTER, BOOT_VALUE)]


# --- homing descriptors -----------------------------------------------------------------
# A record: (code, name index, sensor index, zero encoder, search angle, acc, speed,
#            zero speed, offset)

def homing_file(methods, sensors, records):
    lines = ["Kelm Homing Configuration File", "Method Descriptors"]
    lines += methods + ["End", "Sensor Descriptors"] + sensors + ["End"]
    lines += ["Method Records",
              "Code\tName\tSensor\tZeroEnc\tAngle\tAcc\tSpeed\tZSpeed\tOffset"]
    codes = set()
    for r in records:
        assert r[0] not in codes
        codes.add(r[0])
        assert 0 <= r[1] < len(methods) and 0 <= r[2] <= len(sensors), r
        lines.append("\t".join(str(v) for v in r))
    return lines


def std_homing(extra_hard_stop):
    methods = ["0: No Homing", "1: Home Sensor", "2: Limit Switch -", "3: Limit Switch +",
               "4: Zero Encoder", "5: Homing Imm."]
    records = [(0, 0, 0, 0, 0, 0, 0, 0, 0)]
    code = 1
    for name in (1, 2, 3):
        for sensor in (1, 2):  # normally open, normally closed
            records.append((code, name, sensor, 1, 0, 1, 1, 1, 1))
            code += 1
    records.append((7, 4, 0, 1, 1, 1, 0, 1, 1))
    records.append((8, 5, 0, 0, 0, 0, 0, 0, 1))
    if extra_hard_stop:
        methods.append("6: Hard Stop")
        records.append((9, 6, 0, 0, 0, 1, 1, 0, 1))
    return homing_file(methods, ["NOpen", "NClosed"], records)


def tarn_homing():
    methods = ["No Homing", "Limit - and Index", "Limit + and Index", "Home and Index",
               "Limit Switch -", "Limit Switch +", "Home Switch", "Index Pulse",
               "Current Position"]
    sensors = ["Limit Switch -", "Limit Switch +", "Home Switch"]
    records = [(0, 0, 0, 0, 0, 0, 0, 0, 0),
               (1, 1, 1, 1, 1, 1, 1, 1, 1), (2, 2, 2, 1, 1, 1, 1, 1, 1),
               (3, 3, 3, 1, 1, 1, 1, 1, 1),
               (17, 4, 1, 0, 0, 1, 1, 1, 1), (18, 5, 2, 0, 0, 1, 1, 1, 1),
               (19, 6, 3, 0, 0, 1, 1, 1, 1),
               (33, 7, 0, 1, 1, 1, 0, 1, 1), (35, 8, 0, 0, 0, 0, 0, 0, 1)]
    return homing_file(methods, sensors, records)


# --- oscilloscope Y axis ----------------------------------------------------------------

DECADES = [1, 2, 5, 10, 20, 50, 100, 200, 500, 1000]


def signal(name, unit, values):
    return (name, unit, [("%d %s/div" % (v, unit), v) for v in values])


STD_SIGNALS = [
    signal("Speed", "rpm", [v * 10 for v in DECADES]),
    signal("Speed Reference", "rpm", [v * 10 for v in DECADES]),
    signal("Current", "%", DECADES),
    signal("Current Reference", "%", DECADES),
    signal("Position Error", "pls", DECADES),
    signal("Bus Voltage", "V", DECADES),
    signal("Analog Input 1", "mV", [v * 10 for v in DECADES]),
    signal("Drive State", "bit", [1, 2]),
]
TARN_SIGNALS = [
    signal("Speed", "rpm", [v * 10 for v in DECADES]),
    signal("Speed Reference", "rpm", [v * 10 for v in DECADES]),
    signal("Iq Current", "%", DECADES),
    signal("Id Current", "%", DECADES),
    signal("Iq Reference", "%", DECADES),
    signal("Position Error", "pls", DECADES),
    signal("Bus Voltage", "V", DECADES),
    signal("Drive State", "bit", [1, 2]),
]


def scope_file(signals):
    lines = ["Kelm Oscilloscope Y Axis Configuration",
             "\t".join("%s\t%s" % (name, unit) for name, unit, _ in signals)]
    rows = max(len(scales) for _, _, scales in signals)
    for r in range(rows):
        fields = []
        for _, _, scales in signals:
            fields += [scales[r][0], str(scales[r][1])] if r < len(scales) else ["", ""]
        while fields and fields[-1] == "":
            fields.pop()
        lines.append("\t".join(fields))
    return lines


def middle_scale(signals, number):
    scales = signals[number - 1][2]
    return scales[max(len(scales) // 2 - 1, 0)][1]


def zava_file():
    lines = []
    for section, signals in (("Std", STD_SIGNALS), ("Tarn", TARN_SIGNALS)):
        ch1, ch2 = 1, 3
        values = {50000: 0, 50001: 500, 50002: 500, 50003: 250, 50004: 3, 50005: 0,
                  50006: ch1, 50007: ch2, 50008: middle_scale(signals, ch1),
                  50009: middle_scale(signals, ch2), 50010: 0, 50011: 0, 50012: 2,
                  50013: 2}
        lines.append("[%s]" % section)
        lines += ["O%d=%d" % (a, values[a]) for a in sorted(values)]
        lines += ["Ofs1=0", "Ofs2=0", ""]
    return lines


# --- writing ----------------------------------------------------------------------------

def write(name, lines, max_chars=99):
    for line in lines:
        assert len(line) <= max_chars, (name, line)
        line.encode("latin-1")
    with open(os.path.join(BIN, name), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))


TABLES = {"Std": std_table, "Power": power_table, "Drive": drive_table, "Orca230": orca_table}
DEVICE_FILES = {"Std": ("device.dll", "Device"), "Power": ("TarnPower.dll", "Tarn Power"),
                "Drive": ("TarnDrive.dll", "Tarn Drive"),
                "Orca230": ("TarnOrca230.dll", "Tarn Orca 230")}


def main(argv):
    os.makedirs(BIN, exist_ok=True)
    addresses = {}
    for kind, build in TABLES.items():
        table = build()
        addresses[kind] = check_table(kind, table)
        name, title = DEVICE_FILES[kind]
        write(name, device_file(table, title))
    write("strall.dll", alarm_file())
    for kind, name, title in (("Std", "digIO.dll", "Device"),
                              ("Drive", "DigIO_Tarn.dll", "Tarn Drive"),
                              ("Orca230", "DigIO_Orca.dll", "Tarn Orca 230")):
        check_io(kind, io_groups(kind))
        write(name, io_file(kind, title))
    write("StrMon.dll", analog_labels_file(STD_AO))
    write("StrMonTarnD.dll", analog_labels_file(TARN_AO))
    write("StrMonOrca.dll", analog_labels_file(ORCA_AO))
    write("Btldr.dll", bootloader_file())
    write("Homing.dll", std_homing(False))
    write("Homing_Tarn.dll", tarn_homing())
    write("Homing_Orca.dll", std_homing(True))
    write("Osci.dll", scope_file(STD_SIGNALS), max_chars=399)
    write("Osci_Tarn.dll", scope_file(TARN_SIGNALS), max_chars=399)
    write("ZavaRive.dll", zava_file())

    if len(argv) > 2 and argv[1] == "--check":
        missing = []
        with open(argv[2], encoding="utf-8") as f:
            next(f)
            for row in f:
                kind, addr = row.split("\t")[:2]
                if int(addr) not in addresses[kind]:
                    missing.append((kind, addr))
        if missing:
            sys.exit("registers missing from the tables: %s" % missing)
        print("every listed register is present")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
