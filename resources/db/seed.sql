-- Rows of a new ZAL database: its identity, the tax periods and the expense types.
INSERT INTO zal_sistema (clave, valor) VALUES ('formato', 'ZAL EKO');
INSERT INTO zal_sistema (clave, valor) VALUES ('clave', 'MIRVOSK');

-- Tax years run from July to June. Del and Al are day serials.
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (1, 36342, 36707, 0.090909); -- 01/07/1999 - 30/06/2000
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (2, 36708, 37072, 0.090909); -- 01/07/2000 - 30/06/2001
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (3, 37073, 37437, 0.107142); -- 01/07/2001 - 30/06/2002
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (4, 37438, 37802, 0.107142); -- 01/07/2002 - 30/06/2003
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (5, 37803, 38168, 0.107142); -- 01/07/2003 - 30/06/2004
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (6, 38169, 38533, 0.107142); -- 01/07/2004 - 30/06/2005
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (7, 38534, 38898, 0.107142); -- 01/07/2005 - 30/06/2006
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (8, 38899, 39263, 0.107142); -- 01/07/2006 - 30/06/2007
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (9, 39264, 39629, 0.107142); -- 01/07/2007 - 30/06/2008
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (10, 39630, 39994, 0.107142); -- 01/07/2008 - 30/06/2009
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (11, 39995, 40359, 0.107142); -- 01/07/2009 - 30/06/2010
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (12, 40360, 40724, 0.107142); -- 01/07/2010 - 30/06/2011
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (13, 40725, 41090, 0.107142); -- 01/07/2011 - 30/06/2012
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (14, 41091, 41455, 0.107142); -- 01/07/2012 - 30/06/2013
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (15, 41456, 41820, 0.107142); -- 01/07/2013 - 30/06/2014
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (16, 41821, 42185, 0.107142); -- 01/07/2014 - 30/06/2015
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (17, 42186, 42551, 0.107142); -- 01/07/2015 - 30/06/2016
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (18, 42552, 42916, 0.107142); -- 01/07/2016 - 30/06/2017
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (19, 42917, 43281, 0.107142); -- 01/07/2017 - 30/06/2018
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (20, 43282, 43646, 0.107142); -- 01/07/2018 - 30/06/2019
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (21, 43647, 44012, 0.107142); -- 01/07/2019 - 30/06/2020
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (22, 44013, 44377, 0.107142); -- 01/07/2020 - 30/06/2021
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (23, 44378, 44742, 0.107142); -- 01/07/2021 - 30/06/2022
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (24, 44743, 45107, 0.107142); -- 01/07/2022 - 30/06/2023
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (25, 45108, 45473, 0.107142); -- 01/07/2023 - 30/06/2024
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (26, 45474, 45838, 0.107142); -- 01/07/2024 - 30/06/2025
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (27, 45839, 46203, 0.107142); -- 01/07/2025 - 30/06/2026
INSERT INTO Periodos ("No", Del, Al, Coeficiente) VALUES (28, 46204, 46568, 0.107142); -- 01/07/2026 - 30/06/2027

-- Expense types; 24 to 31 are the eight fuels.
INSERT INTO Gastos (Codigo, Descripcion) VALUES (1, 'Alimentación');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (2, 'Vestuario');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (3, 'Vivienda');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (4, 'Energía eléctrica');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (5, 'Agua potable');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (6, 'Teléfono');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (7, 'Educación');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (8, 'Útiles escolares');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (9, 'Libros');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (10, 'Consultas médicas');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (11, 'Medicinas');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (12, 'Hospitalización');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (13, 'Seguros');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (14, 'Transporte');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (15, 'Mantenimiento de vehículo');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (16, 'Repuestos');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (17, 'Mantenimiento de vivienda');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (18, 'Materiales de construcción');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (19, 'Muebles y enseres');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (20, 'Electrodomésticos');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (21, 'Recreación');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (22, 'Servicios profesionales');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (23, 'Otros gastos');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (24, 'Gasolina Superior');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (25, 'Gasolina Regular');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (26, 'Gasolina de Aviación');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (27, 'Diesel y gas oil');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (28, 'Kerosina (DPK)');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (29, 'Kerosina motores reacción');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (30, 'Nafta');
INSERT INTO Gastos (Codigo, Descripcion) VALUES (31, 'Gas licuado de petróleo');
