-- Tables of the shipped station database.
-- Columns stand in the order the program relies on: several statements insert rows
-- without a column list, and the loaders read the tables in these column layouts.
-- The per-lift tables (call index, day tables, faults, floor names) are not here:
-- the program creates them when a lift is first stored and drops them with the lift.

-- settings: colour scheme, number of lift groups, serial port, baud index, UI language 1..3
CREATE TABLE KALOR_SoftInf (
    SoftColor    int,
    GroupNum     int,
    ComPort      int,
    BaudRate     int,
    LanguageKind int
);

-- UI texts by index, one column per language, row nSign 232 names the three languages
CREATE TABLE KALOR_SoftLan (
    nSign int,
    Lan1  text,
    Lan2  text,
    Lan3  text
);

-- the 64 lift slots, RealAddr 1..64, Kind 0 = no lift in the slot
CREATE TABLE KALOR_LiftInf (
    RealAddr   int,
    Kind       int,
    LiftHight  int,
    bLiftHight int,
    GroupNum   int,
    MaxFloor   int,
    MinFloor   int,
    strName_1  text
);

-- lift groups, GroupNum counted from 0 (the group's position in the group list)
CREATE TABLE KALOR_GroupInf (
    GroupNum     int,
    GroupCount   int,
    strGroupName text
);

-- operators: name, password, rights value
CREATE TABLE KALOR_UserInf (
    UserName  text,
    UserPwd   text,
    UserLimit int
);

-- fault texts per controller model: code, level, then name, cause and remedy per language
CREATE TABLE KALOR_VELAS_ErrInf (
    ErrCount  text,
    ErrLevel  int,
    ErrName1  text,
    ErrCause1 text,
    ErrDeal1  text,
    ErrName2  text,
    ErrCause2 text,
    ErrDeal2  text,
    ErrName3  text,
    ErrCause3 text,
    ErrDeal3  text
);

CREATE TABLE KALOR_VELAM_ErrInf (
    ErrCount  text,
    ErrLevel  int,
    ErrName1  text,
    ErrCause1 text,
    ErrDeal1  text,
    ErrName2  text,
    ErrCause2 text,
    ErrDeal2  text,
    ErrName3  text,
    ErrCause3 text,
    ErrDeal3  text
);

-- the enhanced model keeps its level as text: it travels through the language workbook
CREATE TABLE KALOR_VELAMPlus_ErrInf (
    ErrCount  text,
    ErrLevel  text,
    ErrName1  text,
    ErrCause1 text,
    ErrDeal1  text,
    ErrName2  text,
    ErrCause2 text,
    ErrDeal2  text,
    ErrName3  text,
    ErrCause3 text,
    ErrDeal3  text
);

-- symbols the floor indicators can show, offered for the tens and units digit of each floor
CREATE TABLE KALOR_VELAS_FloorShow (
    nSign     int,
    FloorShow text
);

CREATE TABLE KALOR_VELAM_FloorShow (
    nSign     int,
    FloorShow text
);
