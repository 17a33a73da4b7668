-- Kelm.mdb: the main database of the program.
--
-- The build turns this file into the shipped Kelm.mdb. The program itself
-- never creates or alters these tables: it only reads and writes rows.
--
-- Rules every table here keeps, because the data layer depends on them:
--   * The first column is ID, an integer key that no screen shows. The data
--     layer finds a row again by it when it writes back a recordset.
--   * Field names and their letter case are the ones the screens and reports
--     use in their queries (SQLite, like Jet, matches names without regard
--     to case, so "kola" and "Kola" name the same column).
--   * Each column is declared with one of six type words and the data layer
--     converts values by that word: TEXT, INTEGER (whole numbers),
--     DOUBLE (prices, amounts, tons, litres), DATE (text yyyy-MM-dd),
--     TIME (text HH:mm:ss), BOOLEAN (0 or 1).
--     The number after a TEXT column is its largest length. The program
--     checks lengths on its screens, the database does not.
--   * A Boolean column starts at 0 (False). In the old Jet files a Yes/No
--     field could never be empty, and queries such as "Fakt=False" or
--     "Lipsa=False" must see a row that was never ticked.
--   * No collation and no function of the program appear here, so the stock
--     sqlite3 tool can open the file.
--
-- Records are linked by equal values only (a trip carries the driver code,
-- a route leg the waybill number). There are no foreign keys on purpose:
-- deleting a driver or renaming a car leaves older rows as they were.


-- Trips (one row per run of one car with one driver for one client).
-- The client, route and goods pick lists are the distinct values stored
-- here, there are no separate tables for them. The year closing empties it.
CREATE TABLE tabl (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Data DATE,                            -- date of the trip
    kola TEXT,                            -- 12
    kod TEXT,                             -- 3 (driver code, equal to shof.kod)
    Marsh TEXT,                           -- 25
    Klient TEXT,                          -- 25
    Tovar TEXT,                           -- 25
    km INTEGER,                           -- kilometres, a trip saved with 1 waits for correction
    ton DOUBLE,
    Tarifa DOUBLE,                        -- leva per ton-kilometre
    bruto DOUBLE,                         -- computed on save, never typed
    procent DOUBLE,                       -- the fixed deduction, computed on save
    neto DOUBLE,                          -- bruto less procent
    plat BOOLEAN DEFAULT 0,               -- paid to the driver
    Fakt BOOLEAN DEFAULT 0,               -- ticked for or put on an invoice
    NomFakt TEXT DEFAULT '0000000000',    -- 10 (all zeros: not invoiced)
    Doc BOOLEAN DEFAULT 0,                -- always written False, nothing reads it
    DateMod DATE,                         -- stamp of the last invoicing change
    TimeMod TIME
);

-- The reports pick trips by car and period, by period alone, by client and
-- by driver, and an invoice is found by its number alone.
CREATE INDEX idx_tabl_kola_Data ON tabl (kola, Data);
CREATE INDEX idx_tabl_Data ON tabl (Data);
CREATE INDEX idx_tabl_Klient ON tabl (Klient);
CREATE INDEX idx_tabl_kod ON tabl (kod);
CREATE INDEX idx_tabl_NomFakt ON tabl (NomFakt);
-- The trip editor's pick lists of routes and goods are read from these (the
-- cars, clients and drivers from the indexes above).
CREATE INDEX idx_tabl_Marsh ON tabl (Marsh);
CREATE INDEX idx_tabl_Tovar ON tabl (Tovar);


-- Drivers. Trips refer to a driver by kod, everything else (waybills,
-- consignment notes, pay statements, the attestation) by the name ime.
CREATE TABLE shof (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    kod TEXT,                             -- 3
    ime TEXT,                             -- 50
    EGN TEXT,                             -- 10 (personal number, printed on pay receipts)
    LKarta TEXT,                          -- 9 (identity card number)
    adres TEXT,                           -- 60
    tel TEXT,                             -- 10
    mob TEXT                              -- 12
);

-- A trip holds only the code, so two drivers sharing one code would mix
-- their trips and their pay.
CREATE UNIQUE INDEX ux_shof_kod ON shof (kod);


-- Own cars: fuel norm, the driver's pay percentage and the nominal load.
CREATE TABLE Config (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    kola TEXT,                            -- car registration number
    Razhod DOUBLE,                        -- litres of diesel per 100 km
    Procent DOUBLE,                       -- driver's pay in per cent of a trip's gross amount
    Ton DOUBLE                            -- nominal load in tons
);

-- The waybills and the pay statement look a car's norm and percentage up by
-- its number, a second row for the same car would give an arbitrary answer.
CREATE UNIQUE INDEX ux_Config_kola ON Config (kola);


-- Distance-band tariffs per ton-kilometre: exactly one row, never added to
-- or deleted by the program. The hyphens belong to the field names, hence
-- the quotes.
CREATE TABLE Tarifi (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Trf_20 DOUBLE,                        -- up to 20 km
    "Trf_20-30" DOUBLE,                   -- above 20 up to 30 km
    "Trf_30-50" DOUBLE,                   -- above 30 up to 50 km
    "Trf_50-100" DOUBLE,                  -- above 50 up to 100 km
    "Trf_100-200" DOUBLE,                 -- above 100 up to 200 km
    Trf_200 DOUBLE,                       -- above 200 km
    DateMod DATE,                         -- last save of the tariffs
    TimeMod TIME
);


-- Waybills (one row per sheet). The first eleven fields are those of the
-- waybill screen. The last four belong to the older waybill screens, which
-- carry the driver's code instead of the name, the fuel actually used and
-- the totals under the names KM and RazhN. They are kept so that those
-- screens still work on the same table.
CREATE TABLE RowdList (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ListID TEXT,                          -- 10 (right-aligned, padded with zeros)
    Data DATE,
    Kola TEXT,                            -- car number, one of Config.kola
    NameDriver TEXT,                      -- driver's name, one of shof.ime
    SumKM DOUBLE,                         -- kilometres of all legs, a whole number
    SumRazhN DOUBLE,                      -- diesel by norm of all legs, litres
    EndKM INTEGER,                        -- odometer reading at refuelling
    ZarM DOUBLE,                          -- oil filled
    ZarN DOUBLE,                          -- diesel filled, litres
    CenaN DOUBLE,                         -- unit price of the diesel
    CenaM DOUBLE,                         -- unit price of the oil
    kod TEXT,                             -- 3 (older screens: driver code)
    RazhD DOUBLE,                         -- older screens: fuel actually used
    KM DOUBLE,                            -- older screens: kilometres of the legs
    RazhN DOUBLE                          -- older screens: diesel by norm, litres
);

-- The sheet number is what the route legs hang on, a repeated number would
-- join two sheets' legs.
CREATE UNIQUE INDEX ux_RowdList_ListID ON RowdList (ListID);


-- Route legs of the waybills, linked to their sheet by number. MarshID to
-- RazhN are the fields of the waybill screen. ListID and Marsh are the
-- names the older route-leg screen uses for the sheet number and the route.
CREATE TABLE Marsh (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    MarshID TEXT,                         -- 10 (RowdList.ListID of the sheet)
    Marshrut TEXT,                        -- route of the leg
    KM DOUBLE,                            -- kilometres of the leg
    Ton DOUBLE,                           -- load on the leg, tons
    Koef DOUBLE,                          -- surcharge on the norm in per cent, 0 for none
    RazhN DOUBLE,                         -- diesel by norm, litres, computed on save
    ListID TEXT,                          -- 10 (older screen: sheet number)
    Marsh TEXT                            -- older screen: route of the leg
);

-- Every sheet shown, printed, totalled or deleted reads its legs by number.
CREATE INDEX idx_Marsh_MarshID ON Marsh (MarshID);


-- International trips, one row per consignment note. Nothing here is
-- computed, every value is typed or picked.
CREATE TABLE ExternalKurs (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    KursID TEXT,                          -- 10 (note number, right-aligned, padded with zeros)
    Data DATE,
    DriverName TEXT,                      -- driver's name, as shof.ime
    TruckV TEXT,                          -- tractor, as Config.kola
    TruckR TEXT,                          -- trailer
    TovarName TEXT,                       -- goods
    TovarTon DOUBLE,                      -- tonnage of the goods
    TotalFuel DOUBLE,                     -- fuel used on the whole trip
    TotalKM DOUBLE,                       -- kilometres of the whole trip
    SendName TEXT,                        -- sender firm
    SendAdres TEXT,
    SendCity TEXT,
    SendCountry TEXT,
    ResivName TEXT,                       -- receiver firm
    ResivAdres TEXT,
    ResivCity TEXT,
    ResivCountry TEXT,
    SendCityP TEXT,                       -- loading place
    SendCountryP TEXT,
    ResivCityP TEXT,                      -- unloading place
    ResivCountryP TEXT,
    TotalP DOUBLE,                        -- income of the trip, leva
    TotalR DOUBLE                         -- expenses of the trip, leva
);

-- The screen refuses a note number already in use, the table backs it up.
CREATE UNIQUE INDEX ux_ExternalKurs_KursID ON ExternalKurs (KursID);


-- Address book of senders and receivers. A firm is identified by all four
-- texts together, rows are only ever appended by the international trips.
CREATE TABLE Firms (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    SrName TEXT,
    SrAdres TEXT,
    SrCity TEXT,
    SrCountry TEXT
);


-- Program users. The password is plain text and compared exactly.
CREATE TABLE Users (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Ime TEXT,                             -- user name as typed at sign-in
    Password TEXT,
    Vid TEXT                              -- 1 (A administrator, B full user, anything else restricted)
);


-- The company's own data: exactly one row, printed in every report header.
CREATE TABLE KelmCfg (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    UserName TEXT,                        -- company name
    UserAdres TEXT,
    UserMOL TEXT,                         -- accountable manager
    UserBULSTAT TEXT,                     -- registration number
    UserDanN TEXT,                        -- tax number
    UserEmail TEXT,
    UserCity TEXT,
    UserCountry TEXT,
    UserTel TEXT,
    UserGSM TEXT,                         -- printed after "fax" in report headers
    UserURL TEXT
);


-- Warehouse document lines: receipts (VidKol P), issues (VidKol R), repair
-- lines and the expense line of every trip save. Receipt lines double as
-- the first-in-first-out stock: Ostat is what no issue has taken yet.
CREATE TABLE Sklad (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Data DATE,                            -- document date
    DocVid TEXT,                          -- 15 (document kind, the car number on trip and waybill issues)
    DocNom TEXT,                          -- document number, all zeros on trip expense lines
    Name TEXT,                            -- article name, links the line to Nalich.Name
    Kol DOUBLE,                           -- quantity
    Edin DOUBLE,                          -- unit price
    Suma DOUBLE,                          -- Kol times Edin
    VidKol TEXT,                          -- 1 (P receipt, R issue)
    Lipsa BOOLEAN DEFAULT 0,              -- receipt closed for issuing, or issue written off
    Ostat DOUBLE DEFAULT 0,               -- receipt quantity not yet issued, stock issues leave it at this default
    DateMod DATE,                         -- last save from a document screen
    TimeMod TIME
);

-- The reports and the revision select lines by article and by period.
CREATE INDEX idx_Sklad_Name ON Sklad (Name);
CREATE INDEX idx_Sklad_Data ON Sklad (Data);


-- Stock on hand, one row per article name, with the price of its latest
-- receipt. Rows are never deleted, an article run out keeps Broi 0.
CREATE TABLE Nalich (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT,                            -- article name, stored trimmed
    Edin DOUBLE,                          -- unit price of the latest receipt
    Broi DOUBLE,                          -- quantity on hand
    DateMod DATE,                         -- last receipt of the article
    TimeMod TIME
);


-- The rows the database is shipped with.
-- The trip editor and the settings screen read the first tariff row without
-- a guard, so it must exist. All zeros until the company sets its prices.
INSERT INTO Tarifi (Trf_20, "Trf_20-30", "Trf_30-50", "Trf_50-100", "Trf_100-200", Trf_200)
VALUES (0, 0, 0, 0, 0, 0);

-- Start-up ends the program when the company row is missing. The company
-- fills it in through its company-data screen.
INSERT INTO KelmCfg (UserName, UserAdres, UserMOL, UserBULSTAT, UserDanN, UserEmail,
                     UserCity, UserCountry, UserTel, UserGSM, UserURL)
VALUES ('', '', '', '', '', '', '', '', '', '', '');

-- With no user at all nobody can sign in, and the users screen is reached
-- only after signing in, so the first administrator comes with the database.
INSERT INTO Users (Ime, Password, Vid)
VALUES ('admin', 'admin', 'A');
