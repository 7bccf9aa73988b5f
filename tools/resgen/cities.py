"""The default cities database: 1306 records of 52 bytes, sorted by name.

Record: country code (u16), 2 padding bytes, region code (u32), name (32 bytes,
Windows-1252, NUL-terminated), latitude and longitude (float32 degrees),
standard offset from UTC in whole hours (i8), 3 padding bytes. Unused bytes
hold the filler 0xCD, which the database format's own default data carries.
"""
import math
import struct
import unicodedata
import zoneinfo
from datetime import datetime, timezone

RECORD_SIZE = 52
TOTAL = 1306
US_PLACES = 712
COUNTRIES = 157          # country codes 0..156
MAX_NAME = 25
PER_COUNTRY_CAP = 14     # places a country other than the US gets at most
NEIGHBOUR_KM = 12.0      # closer places than this count as one town
FILL = 0xCD

# Fixed catalogue numbers of the database format (Iran's code appears in the
# first record; 147 marks the places of the United States).
PINNED_COUNTRY_CODES = {"IR": 63, "US": 147}

# Places with fixed values: the database's first record, Abadan, byte for byte,
# and London at its usual catalogue longitude (0 deg 5' W).
PINNED_PLACES = {
    ("Abadan", "IR"): {"country": 63, "region": 64, "lat": (30, 21), "lon": (48, 16)},
    ("London", "GB"): {"lon": (-0, -5)},
}

# Letters outside the main font that have a usual plain spelling.
SPELLINGS = {
    "ß": "ss", "æ": "ae", "Æ": "Ae", "ø": "o", "Ø": "O", "œ": "oe", "Œ": "Oe", "ł": "l",
    "Ł": "L", "đ": "d", "Đ": "D", "ð": "d", "Ð": "D", "þ": "th", "Þ": "Th", "ı": "i",
    "ʻ": "'", "ʼ": "'", "’": "'", "‘": "'", "–": "-", "—": "-",
}

# Feature codes of places that are not towns (sections, ruins, historical).
SKIPPED_FEATURES = {"PPLX", "PPLH", "PPLQ", "PPLW", "PPLCH"}


def _plain(ch):
    if ch in SPELLINGS:
        return SPELLINGS[ch]
    return "".join(c for c in unicodedata.normalize("NFKD", ch) if not unicodedata.combining(c))


def fold_name(name, charset):
    """The name spelt with the font's characters only, or None when impossible.

    A name the font can draw is kept as it is (Bogotá, Zürich, Kraków). A name
    with any other letter is spelt plainly throughout, so that it is not half
    accented (Łódź -> Lodz, Malmö -> Malmo, Straße -> Strasse). The first
    letter is made upper case so that byte order and case-insensitive order
    agree.
    """
    name = " ".join(unicodedata.normalize("NFC", name).split())
    if not name:
        return None
    if any(ch not in charset for ch in name):
        name = "".join(_plain(ch) for ch in name)
    folded = name[0].upper() + name[1:]
    if any(c not in charset for c in folded) or len(folded) > MAX_NAME:
        return None
    return folded


def lower_cp1252(data):
    """Windows-1252 bytes in lower case (ASCII and the Latin-1 letters)."""
    return bytes(b + 32 if (65 <= b <= 90 or (0xC0 <= b <= 0xDE and b != 0xD7)) else b
                 for b in data)


_offsets = {}


def standard_offset_hours(zone_name):
    """Whole hours of a zone's standard time, from Debian's tzdata.

    The standard offset is the smaller of the January and July offsets (this
    also holds for Europe/Dublin, whose rules call winter time negative
    daylight saving). Zones with half or three-quarter hours keep the whole
    hours, rounding towards zero: India +5:30 -> +5, Iran +3:30 -> +3,
    Newfoundland -3:30 -> -3, Nepal +5:45 -> +5.
    """
    if zone_name not in _offsets:
        zone = zoneinfo.ZoneInfo(zone_name)
        offsets = [datetime(2025, month, 1, 12, tzinfo=timezone.utc).astimezone(zone)
                   .utcoffset().total_seconds() for month in (1, 7)]
        minutes = int(min(offsets)) // 60
        hours = abs(minutes) // 60
        _offsets[zone_name] = hours if minutes >= 0 else -hours
    return _offsets[zone_name]


def to_arc_minutes(value):
    """(degrees, minutes) of a decimal angle rounded to whole minutes, signed."""
    total = int(abs(value) * 60.0 + 0.5)
    sign = -1 if value < 0 else 1
    return sign * (total // 60), sign * (total % 60)


def from_arc_minutes(degrees, minutes):
    return degrees + minutes / 60.0


def parse_geonames(path, charset):
    """Candidate places of the GeoNames "cities1000" table."""
    places = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            cols = line.rstrip("\n").split("\t")
            if len(cols) < 18 or cols[6] != "P" or cols[7] in SKIPPED_FEATURES:
                continue
            name = fold_name(cols[1], charset) or fold_name(cols[2], charset)
            if name is None or not cols[17]:
                continue
            try:
                tz = standard_offset_hours(cols[17])
            except zoneinfo.ZoneInfoNotFoundError:
                continue
            if not -12 <= tz <= 13:
                continue
            places.append({
                "id": int(cols[0]), "source_name": cols[1], "name": name,
                "lat": float(cols[4]), "lon": float(cols[5]), "feature": cols[7],
                "country": cols[8], "admin1": cols[10], "population": int(cols[14] or 0),
                "tz": tz,
            })
    return places


def _country_numbers(countries):
    free = [n for n in range(COUNTRIES) if n not in PINNED_COUNTRY_CODES.values()]
    numbers = dict(PINNED_COUNTRY_CODES)
    for code in sorted(c for c in countries if c not in numbers):
        numbers[code] = free.pop(0)
    return numbers


def prominence(place):
    """Population, discounted for GeoNames entries that are mostly town districts.

    Outside the US, places that are not seats of a province or district (PPL,
    PPLA3 and below) are often quarters of a bigger city with a city-sized
    population of their own; they count for half.
    """
    if place["country"] == "US" or place["feature"] in ("PPLC", "PPLA"):
        return place["population"]
    if place["feature"] == "PPLA2":
        return place["population"] * 3 // 4
    return place["population"] // 2


def _distance_km(a, b):
    lat1, lat2 = math.radians(a["lat"]), math.radians(b["lat"])
    dlat, dlon = lat2 - lat1, math.radians(b["lon"] - a["lon"])
    h = math.sin(dlat / 2) ** 2 + math.cos(lat1) * math.cos(lat2) * math.sin(dlon / 2) ** 2
    return 2 * 6371.0 * math.asin(min(1.0, math.sqrt(h)))


class _Neighbourhood:
    """Chosen places by one-degree cell, to find a chosen place nearby quickly."""

    def __init__(self):
        self.cells = {}

    def add(self, p):
        self.cells.setdefault((int(p["lat"] // 1), int(p["lon"] // 1)), []).append(p)

    def near(self, p, km):
        cy, cx = int(p["lat"] // 1), int(p["lon"] // 1)
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                for q in self.cells.get((cy + dy, (cx + dx + 180) % 360 - 180), ()):
                    if _distance_km(p, q) < km:
                        return True
        return False


def _select(places, countries, excluded, first_name):
    """Places in priority order until the US and world quotas are full."""
    by_country = {}
    for p in places:
        by_country.setdefault(p["country"], []).append(p)
    required = []
    for key in PINNED_PLACES:
        name, country = key
        matches = [p for p in by_country.get(country, []) if p["name"] == name]
        required.append(max(matches, key=lambda p: (p["population"], -p["id"])))
    # Each country's capital, bigger countries first.
    for country in countries:
        capitals = [p for p in by_country[country] if p["feature"] == "PPLC"]
        if capitals:
            required.append(max(capitals, key=lambda p: (p["population"], -p["id"])))
    required_ids = {p["id"] for p in required}
    # Then each country's most prominent place, then everything by prominence.
    priority = required + [by_country[c][0] for c in countries] + places

    chosen, names, per_country, us, world = [], set(), {}, 0, 0
    neighbourhood = _Neighbourhood()
    for p in priority:
        key = lower_cp1252(p["name"].encode("cp1252"))
        if (p["id"] in excluded or key in names or p["country"] not in countries
                or p["name"].encode("cp1252") < first_name):
            continue
        # A place within a few kilometres of one already chosen is usually a
        # quarter of that town (Brooklyn, Abobo, North York): leave it out,
        # unless it is a capital or a province's seat of its own.
        if (p["id"] not in required_ids and p["feature"] not in ("PPLC", "PPLA")
                and neighbourhood.near(p, NEIGHBOUR_KM)):
            continue
        if p["country"] == "US":
            if us == US_PLACES:
                continue
            us += 1
        else:
            if world == TOTAL - US_PLACES or per_country.get(p["country"], 0) == PER_COUNTRY_CAP:
                continue
            world += 1
            per_country[p["country"]] = per_country.get(p["country"], 0) + 1
        names.add(key)
        chosen.append(p)
        neighbourhood.add(p)
        if us == US_PLACES and world == TOTAL - US_PLACES:
            break
    return chosen


def select_places(places):
    """The database's places, sorted by name."""
    totals = {}
    for p in places:
        totals[p["country"]] = totals.get(p["country"], 0) + p["population"]
    world = sorted((c for c in totals if c != "US"), key=lambda c: (-totals[c], c))
    countries = ["US"] + world[:COUNTRIES - 1]
    for p in places:
        p["_rank"] = (-prominence(p), p["id"])
    places = sorted(places, key=lambda p: p["_rank"])
    first_name = min(name for name, _ in PINNED_PLACES).encode("cp1252")

    excluded = set()
    while True:
        chosen = _select(places, countries, excluded, first_name)
        chosen.sort(key=lambda p: p["name"].encode("cp1252"))
        # Byte order must also be case-insensitive order: drop the less
        # important of any pair where they disagree, and choose again.
        clash = None
        for a, b in zip(chosen, chosen[1:]):
            if lower_cp1252(a["name"].encode("cp1252")) > lower_cp1252(b["name"].encode("cp1252")):
                clash = max(a, b, key=lambda p: p["_rank"])
                break
        if clash is None:
            break
        excluded.add(clash["id"])
    if len(chosen) != TOTAL:
        raise ValueError(f"only {len(chosen)} places could be chosen")
    return chosen, _country_numbers(countries)


def encode_record(country, region, name, lat, lon, tz):
    raw = name.encode("cp1252") + b"\0"
    if len(raw) > 32:
        raise ValueError(f"name too long: {name}")
    raw += bytes([FILL]) * (32 - len(raw))
    return struct.pack("<H2sI32sffb3s", country, bytes([FILL]) * 2, region, raw, lat, lon, tz,
                       bytes([FILL]) * 3)


def build_database(cities_path, charset):
    """The database bytes, plus the chosen places for the credits and checks."""
    places = parse_geonames(cities_path, charset)
    chosen, country_numbers = select_places(places)
    us_regions = sorted({p["admin1"] for p in places if p["country"] == "US"})
    out = bytearray()
    for p in chosen:
        pin = PINNED_PLACES.get((p["name"], p["country"]), {})
        country = pin.get("country", country_numbers[p["country"]])
        if "region" in pin:
            region = pin["region"]
        elif p["country"] == "US":
            region = us_regions.index(p["admin1"])  # the state
        else:
            region = len(us_regions) + country     # the country as its own region
        lat = from_arc_minutes(*pin.get("lat", to_arc_minutes(p["lat"])))
        lon = from_arc_minutes(*pin.get("lon", to_arc_minutes(p["lon"])))
        out += encode_record(country, region, p["name"], lat, lon, p["tz"])
    return bytes(out), chosen
