-- Symbols the floor indicator can show in each of its two digits (tens and units).
-- The configuration page offers them in nSign order, the first entry for the tens
-- digit and the second for the units digit by default. The empty first entry leaves the
-- tens digit dark (floors 1 to 9). No symbol may hold a blank, since the page keeps a
-- floor's two symbols as one text split at the blank.
-- Letters mark special floors: B basement, G ground, L lobby, M mezzanine, P parking,
-- R roof, and '-' shows basement floors as -1, -2.

-- VELA-S: seven-segment indicator, digits and the letters it can form
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (0, '');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (1, '0');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (2, '1');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (3, '2');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (4, '3');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (5, '4');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (6, '5');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (7, '6');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (8, '7');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (9, '8');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (10, '9');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (11, '-');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (12, 'A');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (13, 'B');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (14, 'C');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (15, 'D');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (16, 'E');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (17, 'F');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (18, 'G');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (19, 'H');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (20, 'L');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (21, 'P');
INSERT INTO KALOR_VELAS_FloorShow (nSign, FloorShow) VALUES (22, 'U');

-- VELA-M and VELA-M+: dot-matrix indicator, digits and more letters
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (0, '');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (1, '0');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (2, '1');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (3, '2');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (4, '3');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (5, '4');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (6, '5');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (7, '6');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (8, '7');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (9, '8');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (10, '9');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (11, '-');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (12, 'A');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (13, 'B');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (14, 'C');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (15, 'D');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (16, 'E');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (17, 'F');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (18, 'G');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (19, 'H');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (20, 'K');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (21, 'L');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (22, 'M');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (23, 'P');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (24, 'R');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (25, 'S');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (26, 'T');
INSERT INTO KALOR_VELAM_FloorShow (nSign, FloorShow) VALUES (27, 'U');
