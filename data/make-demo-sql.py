#!/usr/bin/env python3
"""Writes demo.sql, the sample database of a garden-supplies wholesaler.

The SQL text is the source that the build loads; this script made it once and is kept so
that the data can be regenerated after a change here. Run: python3 make-demo-sql.py > demo.sql
The output is the same on every run (a fixed-seed generator of our own, not the language's).
"""

import datetime


class Generator:
    """A small linear congruential generator, so the output never depends on a library."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return self.state >> 33

    def below(self, n):
        return self.next() % n

    def pick(self, items):
        return items[self.below(len(items))]


def text(value):
    if value is None:
        return "NULL"
    return "'" + value.replace("'", "''") + "'"


def money(value):
    if value is None:
        return "NULL"
    return "%.2f" % value


def boolean(value):
    return "TRUE" if value else "FALSE"


def integer(value):
    return "NULL" if value is None else str(value)


# Customers: name, contact, street, city, post code, credit limit, discount, tax exempt,
# customer since, notes. A None city or contact is stored as NULL.
CUSTOMERS = [
    ("Smith", "Gordon Smith", "14 Orchard Lane", "Riverton", "RV4 2LT", 2500, 0.00, False,
     "2019-03-11", None),
    ("SMITHERS", "Paula Smithers", "2 Quarry Road", "Millbrook", "MB1 7QA", 5000, 0.05, False,
     "2018-06-02", "Prefers deliveries before 10 am."),
    ("smithson", "Len Smithson", "Unit 6, Canal Wharf", "Riverton", "RV2 9CW", 1500, 0.00,
     False, "2021-09-20", None),
    ("Smallwood Nursery", "Hattie Smallwood", "Smallwood Farm, Long Drove", "Fenwick",
     "FW8 3LD", 12000, 0.10, False, "2015-01-14",
     "Wholesale account. Pays by the 15th of the following month."),
    ("SM Landscaping", "Sean Moyles", "88 Harbour Street", "Northgate", "NG3 1HS", 8000, 0.07,
     False, "2020-04-27", None),
    ("smart lawn care", "Devika Rao", "41 Wren Close", None, None, 1000, 0.00, False,
     "2023-02-08", "New customer; address to be confirmed."),
    ("Smeaton Greenhouses", "Ruth Smeaton", "The Glasshouses, Mill Road", "Coldwater",
     "CW5 6MR", 15000, 0.12, False, "2012-11-30", None),
    ("O'Brien", "Kieran O'Brien", "7 Chapel Row", "Dunmore", "DN2 4CR", 2000, 0.00, False,
     "2019-08-15", "Mr O'Brien asks for a call when an order is ready."),
    ("de la Cruz", "Marisol de la Cruz", "120 Riverside Walk", "Riverton", "RV1 5RW", 3500, 0.03,
     False, "2017-05-19", None),
    ("O'Malley Turf & Seed", "Niamh O'Malley", "Station Yard", "King's Lynden", "KL7 2SY", 9000,
     0.08, False, "2014-03-03", None),
    ("van der Berg Bulbs", "Pieter van der Berg", "Tulip House, Dyke End", "Eastbrook",
     "EB6 8DE", 7000, 0.06, False, "2016-10-10",
     "Seasonal buyer: autumn and spring only.\nInvoices to the head office, not the yard."),
    ("Green Thumb Co-op", "Alice Fenn", "3 Market Square", "Millbrook", "MB2 1MS", 6000, 0.05,
     True, "2013-07-22", "Registered charity; no VAT."),
    ("Hedgerow Farm Shop", "Tom Yardley", "Hedgerow Farm", "Fenwick", "FW2 9HF", 4000, 0.04,
     False, "2018-02-12", None),
    ("ABBOTT & LANE", "Miriam Abbott", "19 Foundry Street", "Northgate", "NG1 6FS", 10000, 0.08,
     False, "2011-09-01", None),
    ("Brightwater Allotments", None, "Allotment Gate, Brook Lane", "Riverton", "RV3 3BL", 800,
     0.00, True, "2020-03-16", "Allotment society; the committee changes every spring."),
    ("Carrow Garden Centre", "James Carrow", "Carrow Roundabout", "Coldwater", "CW1 2CR", 20000,
     0.15, False, "2010-04-05", None),
    ("d'Arcy Herbs", "Colette d'Arcy", "The Old Dairy", "Ashby Cross", "AX4 7OD", 3000, 0.03,
     False, "2019-11-11", None),
    ("Fernside Landscapes", "Owen Price", "Fernside Works, Tanners Way", "Dunmore", "DN5 1TW",
     9500, 0.07, False, "2016-06-30", None),
    ("Greenfingers Ltd", "Priya Shah", "27 Elm Parade", "Millbrook", "MB3 4EP", 7500, 0.06,
     False, "2015-08-18", None),
    ("ST. JUDE'S HOSPICE GARDEN", "Sister Agnes Keane", "St. Jude's Hospice, Hill Road",
     "King's Lynden", "KL1 1HR", 1200, 0.10, True, "2018-12-03",
     "Volunteers collect on Thursdays."),
    ("MacLeod & Sons", "Fergus MacLeod", "Glen Yard, Mill Wynd", "Eastbrook", "EB2 5MW", 6500,
     0.05, False, "2012-02-27", None),
    ("McAllister Gardens", "Fiona McAllister", "4 Lime Avenue", "Ashby Cross", "AX1 3LA", 4500,
     0.04, False, "2017-03-21", None),
    ("Le Jardin Secret", "Amelie Roux", "9 Rue Court", "Northgate", "NG4 2RC", 3000, 0.02, False,
     "2021-05-05", None),
    ("Thornbury Estate", "Lady Helena Thornbury", "Thornbury Hall", "Coldwater", "CW9 9TH", 25000,
     0.12, False, "2009-09-09", "Estate manager signs for all deliveries."),
    ("Pennywort Plant Hire", "Gary Pennington", "Yard 3, Airfield Road", None, None, 5000, 0.05,
     False, "2022-01-17", None),
    ("Riverton Parks Dept", "Angela Osei", "Civic Centre", "Riverton", "RV1 1CC", 30000, 0.15,
     True, "2008-04-01", "Purchase order number required on every invoice."),
    ("Kowalski Garden Services", "Marek Kowalski", "56 Sycamore Road", "Millbrook", "MB5 2SR",
     2500, 0.02, False, "2020-07-08", None),
    ("Hollyhock Cottage", "Jean Lacey", "Hollyhock Cottage, The Green", "Fenwick", "FW4 4TG", 600,
     0.00, False, "2022-06-14", None),
    ("Ng Bonsai Studio", "Wei Ng", "12 Lantern Street", "Dunmore", "DN3 8LS", 3500, 0.03, False,
     "2019-01-29", None),
    ("Oakhurst School", "Mr D. Fairweather", "Oakhurst Lane", "Eastbrook", "EB1 1OL", 1500, 0.10,
     True, "2017-09-04", "School garden club; order in term time only."),
    ("Quayside Planters", "Bridget Hale", "Quay 2, Harbour Street", "Northgate", "NG3 1QH", 4000,
     0.04, False, "2018-05-23", None),
    ("Wild Meadow Trust", "Sam Okafor", "Meadow Barn", "Ashby Cross", "AX2 6MB", 5000, 0.10, True,
     "2014-04-22", None),
    ("Bexley-Hart Design", "Imogen Bexley-Hart", "Studio 4, The Maltings", "Coldwater",
     "CW3 4TM", 8500, 0.06, False, "2016-01-11", None),
    ("Yew Tree Nurseries", "Harold Finch", "Yew Tree Farm", "King's Lynden", "KL3 5YT", 11000,
     0.09, False, "2011-05-16", None),
    ("Moss & Stone", "Lena Moss", "21 Flint Street", "Dunmore", "DN1 3FS", 3000, 0.03, False,
     "2020-10-19", None),
    ("Patel Brothers Garden Supply", "Raj Patel", "Unit 11, Westway Estate", "Riverton",
     "RV5 6WE", 14000, 0.10, False, "2013-03-25", None),
    ("Cherry Orchard Care Home", "Nadia Bell", "Orchard Rise", "Millbrook", "MB6 1OR", 900, 0.05,
     True, "2021-02-01", None),
    ("Dunmore Golf Club", "Alan Greaves", "Links Road", "Dunmore", "DN6 2LR", 18000, 0.11, False,
     "2010-08-12", "Greenkeeper orders seed and fertiliser in bulk each March."),
    ("Ellis", "Rosa Ellis", "5 Poplar Close", "Fenwick", "FW1 2PC", 500, 0.00, False,
     "2023-04-18", None),
    ("Fairley Fencing", "Barry Fairley", "Fairley Yard", "Eastbrook", "EB4 3FY", 6000, 0.05, False,
     "2015-11-02", None),
    ("Gauthier Vineyards", "Luc Gauthier", "Les Coteaux, Vine Lane", "Ashby Cross", "AX5 1VL",
     9000, 0.07, False, "2016-08-08", None),
    ("Hughes", "Bethan Hughes", "33 Ivy Terrace", None, None, 700, 0.00, False, "2023-07-30",
     None),
    ("Ivybridge Pottery", "Carl Ivy", "The Kiln House", "Coldwater", "CW2 7KH", 2000, 0.02, False,
     "2019-06-06", None),
    ("Jade Garden Restaurant", "Mei Lin", "48 High Street", "Northgate", "NG2 5HS", 1000, 0.00,
     False, "2022-09-12", "Buys herbs and planters for the terrace."),
    ("Kingfisher Aquatics", "Rob Tanner", "Kingfisher Lakes", "King's Lynden", "KL4 8KL", 7000,
     0.06, False, "2014-12-01", None),
    ("Lowther", "Agnes Lowther", "Lowther Lodge", "Riverton", "RV6 2LL", 1500, 0.00, False,
     "2020-01-09", None),
    ("Marchbank Hotel", "Simon Marchbank", "Marchbank Road", "Millbrook", "MB4 9MR", 5500, 0.05,
     False, "2012-06-25", None),
    ("Northgate Community Garden", None, "Behind the library, Castle Street", "Northgate",
     "NG1 2CS", 700, 0.10, True, "2019-04-04", None),
    ("Orchid House", "Yuki Tanaka", "7 Conservatory Walk", "Fenwick", "FW3 3CW", 4500, 0.04, False,
     "2018-10-29", None),
    ("Pryce-Jones", "Huw Pryce-Jones", "Plas Newydd Farm", "Dunmore", "DN7 7PN", 2500, 0.02, False,
     "2017-12-12", None),
    ("Redfern & Co", "Isla Redfern", "2 Fern Court", "Coldwater", "CW4 1FC", 6000, 0.05, False,
     "2016-03-14", None),
    ("Sutherland", "Moira Sutherland", "Heather Brae", "Eastbrook", "EB7 4HB", 1000, 0.00, False,
     "2021-08-23", None),
    ("Topiary Works", "Felix Armitage", "The Yew Walk", "Ashby Cross", "AX3 9YW", 5000, 0.05, False,
     "2015-05-27", None),
    ("Underwood Allotment Society", None, "Underwood Lane", "King's Lynden", "KL6 3UL", 600, 0.05,
     True, "2022-03-07", None),
    ("Valley View Caravan Park", "Derek Mills", "Valley Road", None, None, 3000, 0.03, False,
     "2020-05-18", None),
    ("Westcott Roof Gardens", "Tara Westcott", "Penthouse Level, Alder House", "Northgate",
     "NG5 7AH", 9500, 0.08, False, "2019-09-30", None),
    ("Young's Veg Box", "Daniel Young", "Young's Farm, Back Lane", "Fenwick", "FW6 1BL", 2000,
     0.02, False, "2021-11-15", None),
    ("Zielinski", "Anna Zielinski", "9 Birch Grove", "Millbrook", "MB7 3BG", 800, 0.00, False,
     "2023-01-26", None),
]

# Customers (by position) that have no orders, so that a detail table can be empty.
WITHOUT_ORDERS = {5, 24, 38, 41, 53, 57}

# Parts: code, description, category, price, weight in kg, discontinued, details.
PARTS = [
    ("TL-001", "Bypass pruning shears", "Tools", 18.95, 0.250, False,
     "Hardened steel blade, cuts up to 20 mm."),
    ("TL-002", "Anvil loppers, 70 cm", "Tools", 34.50, 1.150, False, None),
    ("TL-003", "Border spade, ash handle", "Tools", 29.99, 1.900, False, None),
    ("TL-004", "Garden fork, 4 tine", "Tools", 27.50, 1.850, False, None),
    ("TL-005", "Leaf rake, 22 tooth", "Tools", 14.25, 0.900, False, None),
    ("TL-006", "Hand trowel", "Tools", 6.75, 0.180, False, None),
    ("TL-007", "Dutch hoe", "Tools", 16.40, 1.100, True,
     "Replaced by TL-015; sell remaining stock."),
    ("TL-008", "Hedge shears, wavy blade", "Tools", 24.00, 1.300, False, None),
    ("TL-015", "Push-pull hoe", "Tools", 19.80, 1.050, False, None),
    ("SD-101", "Lawn seed, shady areas, 1 kg", "Seeds", 12.90, 1.000, False, None),
    ("SD-102", "Lawn seed, hard wearing, 5 kg", "Seeds", 44.00, 5.000, False, None),
    ("SD-110", "Wildflower meadow mix, 250 g", "Seeds", 15.60, 0.250, False,
     "28 native species; sow in early autumn."),
    ("SD-120", "Tomato 'Sungold' seed", "Seeds", 2.85, 0.010, False, None),
    ("SD-121", "Runner bean 'Scarlet Emperor' seed", "Seeds", 2.45, 0.050, False, None),
    ("SD-122", "Sweet pea mixed seed", "Seeds", 2.60, 0.020, False, None),
    ("PT-201", "Terracotta pot, 24 cm", "Pots", 8.50, 2.200, False, None),
    ("PT-202", "Terracotta pot, 40 cm", "Pots", 21.00, 6.800, False, None),
    ("PT-210", "Glazed planter, cobalt", "Pots", 39.95, 7.500, False, None),
    ("PT-220", "Seed tray, 40 cell", "Pots", 1.95, 0.120, False, None),
    ("PT-221", "Plug tray, 104 cell", "Pots", 2.40, 0.150, False, None),
    ("PT-230", "Hanging basket, 35 cm", "Pots", 11.75, 0.600, True, None),
    ("SL-301", "Multi-purpose compost, 50 L", "Soil", 7.99, 20.000, False, None),
    ("SL-302", "Ericaceous compost, 40 L", "Soil", 8.99, 16.000, False, None),
    ("SL-303", "Topsoil, bulk bag", "Soil", 69.00, 850.000, False,
     "Delivered by crane lorry; needs 3 m clear access."),
    ("SL-310", "Bark mulch, 70 L", "Soil", 9.49, 18.000, False, None),
    ("SL-320", "Pelleted chicken manure, 10 kg", "Soil", 11.25, 10.000, False, None),
    ("WT-401", "Hose pipe, 30 m", "Watering", 32.00, 3.400, False, None),
    ("WT-402", "Hose reel cart", "Watering", 54.95, 6.200, False, None),
    ("WT-410", "Watering can, 10 L", "Watering", 12.50, 0.700, False, None),
    ("WT-420", "Drip irrigation kit", "Watering", 47.80, 1.900, False,
     "Kit for 20 pots; timer sold separately."),
    ("WT-421", "Tap timer, digital", "Watering", 36.40, 0.400, False, None),
    ("WT-430", "Water butt, 210 L", "Watering", 64.00, 9.500, False, None),
    ("PR-501", "Horticultural fleece, 10 m", "Protection", 8.20, 0.450, False, None),
    ("PR-502", "Bird netting, 4 x 6 m", "Protection", 9.75, 0.500, False, None),
    ("PR-510", "Cold frame, aluminium", "Protection", 89.00, 14.000, False, None),
    ("PR-520", "Slug barrier copper tape", "Protection", 6.30, 0.100, False, None),
    ("FN-601", "Hardwood bench, 3 seat", "Furniture", 245.00, 38.000, False,
     "Flat-packed; assembly takes about an hour."),
    ("FN-602", "Folding bistro set", "Furniture", 129.00, 17.500, False, None),
    ("LT-701", "Solar stake lights, pack of 6", "Lighting", 22.99, 1.200, False, None),
    ("LT-702", "Festoon lights, 10 m", "Lighting", 34.99, 1.600, True, None),
]

CARRIERS = ["Own van", "Own van", "Parcel service", "Pallet network", "Collected"]
PAYMENTS = ["Invoice", "Invoice", "Card", "Card", "Transfer", "Cash"]
REMARKS = [
    "Leave at the side gate.",
    "Customer's own labels on the pots.",
    "Part delivery; the rest follows next week.",
    "Call on arrival: 'no access' sign at the main entrance.",
    "Deliver to the yard, not the shop.",
    "Replacement for damaged goods on the previous order.",
]


def customer_rows():
    rows = []
    rng = Generator(1931)
    for i, c in enumerate(CUSTOMERS):
        name, contact, street, city, post, credit, discount, exempt, since, notes = c
        custno = 1001 + i
        phone = "0%d%d 555 %04d" % (1 + rng.below(9), 100 + rng.below(900), rng.below(10000))
        if i % 11 == 7:
            phone = None
        if rng.below(4) == 0:
            last_contact = None
        else:
            day = datetime.date(2024, 1, 2) + datetime.timedelta(days=rng.below(360))
            last_contact = "%s %02d:%02d:00" % (day.isoformat(), 8 + rng.below(10), rng.below(60))
        rows.append("(%d, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s)" % (
            custno, text(name), text(contact), text(street), text(city), text(post), text(phone),
            money(credit), "%.2f" % discount, boolean(exempt), text(since), text(last_contact),
            text(notes)))
    return rows


def part_rows():
    rows = []
    rng = Generator(77)
    for i, p in enumerate(PARTS):
        code, description, category, price, weight, discontinued, details = p
        stock = 0 if discontinued and i % 2 == 0 else rng.below(400)
        reorder = 0 if discontinued else 10 * (1 + rng.below(8))
        rows.append("(%d, %s, %s, %s, %s, %d, %d, %.3f, %s, %s)" % (
            3001 + i, text(code), text(description), text(category), money(price), stock, reorder,
            weight, boolean(discontinued), text(details)))
    return rows


def order_and_item_rows():
    rng = Generator(20240)
    start = datetime.date(2023, 1, 3)
    orders = []
    customers = [i for i in range(len(CUSTOMERS)) if i not in WITHOUT_ORDERS]
    for n in range(124):
        # The first customers are the busiest, so some masters have many details.
        if n < 24:
            customer = n % 4
        else:
            customer = rng.pick(customers)
        sale = start + datetime.timedelta(days=rng.below(720))
        orders.append((sale, 1001 + customer))
    for customer in customers:
        if not any(c == 1001 + customer for _, c in orders):
            orders.append((start + datetime.timedelta(days=rng.below(720)), 1001 + customer))
    orders.sort()

    order_rows, item_rows = [], []
    for n, (sale, custno) in enumerate(orders):
        orderno = 20001 + n
        subtotal = 0.0
        parts_used = set()
        for itemno in range(1, 2 + rng.below(5)):
            part = rng.below(len(PARTS))
            while part in parts_used:
                part = rng.below(len(PARTS))
            parts_used.add(part)
            price = PARTS[part][3]
            quantity = 1 + rng.below(12) if price < 50 else 1 + rng.below(3)
            discount = rng.pick([0, 0, 0, 0.05, 0.10])
            subtotal += round(quantity * price * (1 - discount), 2)
            item_rows.append("(%d, %d, %d, %d, %s, %.2f)" % (
                orderno, itemno, 3001 + part, quantity, money(price), discount))
        subtotal = round(subtotal, 2)
        shipping = 0.0 if subtotal >= 250 else rng.pick([5.95, 9.50, 14.00])
        carrier = rng.pick(CARRIERS)
        if carrier == "Collected":
            shipping = 0.0
        # Recent orders are not all delivered or paid yet.
        recent = sale >= datetime.date(2024, 11, 15)
        delivered = None if recent and rng.below(3) > 0 else sale + datetime.timedelta(
            days=1 + rng.below(9))
        paid = not recent and rng.below(10) > 0
        created = "%s %02d:%02d:%02d" % (sale.isoformat(), 7 + rng.below(11), rng.below(60),
                                         rng.below(60))
        remarks = rng.pick(REMARKS) if rng.below(6) == 0 else None
        order_rows.append("(%d, %d, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s)" % (
            orderno, custno, text(sale.isoformat()),
            text(delivered.isoformat() if delivered else None), text(carrier),
            text(rng.pick(PAYMENTS)), money(subtotal), money(shipping),
            money(round(subtotal + shipping, 2)), boolean(paid), text(created), text(remarks)))
    return order_rows, item_rows


def insert(out, table, columns, rows, chunk=50):
    for at in range(0, len(rows), chunk):
        out.append("INSERT INTO %s (%s) VALUES" % (table, ", ".join(columns)))
        out.append(",\n".join(rows[at:at + chunk]) + ";")
        out.append("")


def main():
    out = [
        "-- The sample database of a garden-supplies wholesaler: customers, their orders,",
        "-- the items of each order and the parts sold. Written by make-demo-sql.py.",
        "-- Portable SQL: loads unchanged into SQLite, and into PostgreSQL after the domains",
        "-- CURRENCY and MEMO are declared. Column names are quoted to keep their case.",
        "",
        "CREATE TABLE customer (",
        '  "CustNo" INTEGER NOT NULL PRIMARY KEY,',
        '  "Name" VARCHAR(40) NOT NULL,',
        '  "Contact Name" VARCHAR(40),',
        '  "Street" VARCHAR(60),',
        '  "City" VARCHAR(30),',
        '  "PostCode" VARCHAR(10),',
        '  "Phone" VARCHAR(20),',
        '  "CreditLimit" CURRENCY,',
        '  "Discount" NUMERIC(4,2),',
        '  "TaxExempt" BOOLEAN NOT NULL,',
        '  "Since" DATE,',
        '  "LastContact" TIMESTAMP,',
        '  "Notes" MEMO',
        ");",
        'CREATE INDEX customer_name ON customer ("Name");',
        'CREATE INDEX customer_city_name ON customer ("City", "Name");',
        "",
        "CREATE TABLE parts (",
        '  "PartNo" INTEGER NOT NULL PRIMARY KEY,',
        '  "Code" VARCHAR(12) NOT NULL,',
        '  "Description" VARCHAR(40) NOT NULL,',
        '  "Category" VARCHAR(20) NOT NULL,',
        '  "Price" CURRENCY NOT NULL,',
        '  "InStock" INTEGER NOT NULL,',
        '  "ReorderLevel" SMALLINT NOT NULL,',
        '  "WeightKg" NUMERIC(8,3),',
        '  "Discontinued" BOOLEAN NOT NULL,',
        '  "Details" MEMO',
        ");",
        'CREATE UNIQUE INDEX parts_code ON parts ("Code");',
        'CREATE INDEX parts_description ON parts ("Description");',
        'CREATE INDEX parts_category_description ON parts ("Category", "Description");',
        "",
        "CREATE TABLE orders (",
        '  "OrderNo" INTEGER NOT NULL PRIMARY KEY,',
        '  "CustNo" INTEGER NOT NULL,',
        '  "SaleDate" DATE NOT NULL,',
        '  "Delivered" DATE,',
        '  "Carrier" VARCHAR(20),',
        '  "Payment" VARCHAR(12),',
        '  "Subtotal" CURRENCY NOT NULL,',
        '  "Shipping" CURRENCY NOT NULL,',
        '  "Total" CURRENCY NOT NULL,',
        '  "Paid" BOOLEAN NOT NULL,',
        '  "Entered" TIMESTAMP NOT NULL,',
        '  "Remarks" MEMO',
        ");",
        'CREATE INDEX orders_custno_orderno ON orders ("CustNo", "OrderNo");',
        'CREATE INDEX orders_custno_saledate ON orders ("CustNo", "SaleDate");',
        'CREATE INDEX orders_saledate ON orders ("SaleDate");',
        "",
        "CREATE TABLE items (",
        '  "OrderNo" INTEGER NOT NULL,',
        '  "ItemNo" SMALLINT NOT NULL,',
        '  "PartNo" INTEGER NOT NULL,',
        '  "Quantity" INTEGER NOT NULL,',
        '  "UnitPrice" CURRENCY NOT NULL,',
        '  "Discount" NUMERIC(4,2) NOT NULL,',
        '  PRIMARY KEY ("OrderNo", "ItemNo")',
        ");",
        'CREATE INDEX items_partno ON items ("PartNo");',
        "",
    ]
    insert(out, "customer",
           ['"CustNo"', '"Name"', '"Contact Name"', '"Street"', '"City"', '"PostCode"',
            '"Phone"', '"CreditLimit"', '"Discount"', '"TaxExempt"', '"Since"',
            '"LastContact"', '"Notes"'], customer_rows())
    insert(out, "parts",
           ['"PartNo"', '"Code"', '"Description"', '"Category"', '"Price"', '"InStock"',
            '"ReorderLevel"', '"WeightKg"', '"Discontinued"', '"Details"'], part_rows())
    order_rows, item_rows = order_and_item_rows()
    insert(out, "orders",
           ['"OrderNo"', '"CustNo"', '"SaleDate"', '"Delivered"', '"Carrier"', '"Payment"',
            '"Subtotal"', '"Shipping"', '"Total"', '"Paid"', '"Entered"', '"Remarks"'],
           order_rows)
    insert(out, "items",
           ['"OrderNo"', '"ItemNo"', '"PartNo"', '"Quantity"', '"UnitPrice"', '"Discount"'],
           item_rows, chunk=100)
    print("\n".join(out).rstrip("\n"))


if __name__ == "__main__":
    main()
