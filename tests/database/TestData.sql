-- The small installation the database tests start from.
INSERT INTO KALOR_SoftInf VALUES (16777215, 4, 1, 2, 2);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 64)
    INSERT INTO KALOR_LiftInf SELECT i, 0, 0, 0, 0, 0, 0, '' FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49)
    INSERT INTO KALOR_SoftLan SELECT i, 'A' || i, 'B' || i, 'C' || i FROM n;
INSERT INTO KALOR_SoftLan VALUES (232, 'Jian', 'English', 'Fan');
INSERT INTO KALOR_GroupInf VALUES (0, 0, 'No group'), (1, 0, 'East'), (2, 0, 'West'), (3, 0, 'North');
INSERT INTO KALOR_UserInf VALUES ('admin', '1234', 9);
INSERT INTO KALOR_VELAS_FloorShow VALUES (1, 'B'), (0, 'A');
INSERT INTO KALOR_VELAM_FloorShow VALUES (0, 'M');
INSERT INTO KALOR_VELAS_ErrInf VALUES ('ERR1', 1, 'n1a', 'c1a', 'd1a', 'n1b', 'c1b', 'd1b', 'n1c', 'c1c', 'd1c');
INSERT INTO KALOR_VELAM_ErrInf VALUES ('ERR1', 1, 'n1a', 'c1a', 'd1a', 'n1b', 'c1b', 'd1b', 'n1c', 'c1c', 'd1c');
INSERT INTO KALOR_VELAMPlus_ErrInf VALUES ('ERR12', '3', 'door', 'jammed', 'free it', 'Door', 'Jammed', 'Free it', 'DOOR', 'JAMMED', 'FREE IT');
INSERT INTO KALOR_VELAMPlus_ErrInf VALUES ('ERR3', '1', 'over''speed', 'governor', 'check' || char(9) || 'it', 'Over speed', 'Governor', 'Check it', 'OS', 'G', 'C');
