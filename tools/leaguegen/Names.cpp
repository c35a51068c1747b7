#include "leaguegen/Names.h"

namespace leaguegen::names {

const std::array<const char*, 64> firstNames = {
    "Aaron",   "Adam",    "Andre",  "Anthony", "Ben",    "Brandon", "Brian",  "Carl",
    "Chris",   "Cody",    "Curtis", "Dale",    "Damon",  "Darnell", "Dave",   "Derek",
    "Dominic", "Doug",    "Earl",   "Eddie",   "Eric",   "Frank",   "Gary",   "Greg",
    "Hank",    "Isaac",   "Jamal",  "Jason",   "Jerome", "Joe",     "Jon",    "José",
    "Keith",   "Kevin",   "Kurt",   "Lamar",   "Larry",  "Leon",    "Marcus", "Mark",
    "Matt",    "Mike",    "Nate",   "Nick",    "Omar",   "Pat",     "Paul",   "Ray",
    "Reggie",  "Ricky",   "Rob",    "Ron",     "Ryan",   "Scott",   "Sean",   "Shane",
    "Steve",   "Terrell", "Tim",    "Todd",    "Tony",   "Troy",    "Vince",  "Wes"};

const std::array<const char*, 80> lastNames = {
    "Adams",   "Allen",    "Bailey",   "Baker",    "Banks",   "Barnes",   "Bell",       "Brooks",
    "Brown",   "Bryant",   "Burke",    "Carter",   "Clark",   "Coleman",  "Collins",    "Cook",
    "Cooper",  "Davis",    "Dixon",    "Dunn",     "Edwards", "Ellis",    "Evans",      "Fisher",
    "Foster",  "Fuller",   "Gibson",   "Graham",   "Grant",   "Green",    "Griffin",    "Hall",
    "Harris",  "Hayes",    "Hill",     "Holmes",   "Howard",  "Hughes",   "Jackson",    "James",
    "Jenkins", "Johnson",  "Jones",    "Kelly",    "King",    "Lewis",    "Lynch",      "Marshall",
    "Martin",  "Mason",    "Miller",   "Mitchell", "Moore",   "Morgan",   "Müller",     "Murphy",
    "Núñez",   "O'Brien",  "O'Neal",   "Parker",   "Perry",   "Phillips", "Porter",     "Price",
    "Reed",    "Reynolds", "Robinson", "Ross",     "Russell", "Sanders",  "Scott",      "Simmons",
    "Smith",   "Stewart",  "Taylor",   "Thomas",   "Turner",  "Walker",   "Washington", "Young"};

const std::array<const char*, 48> cities = {
    "Ashford",    "Bayport",       "Bellmont",   "Birchwood",  "Blackwater",  "Bridgeton",
    "Brookfield", "Cedar Falls",   "Clearwater", "Coldharbor", "Crestview",   "Dunmore",
    "Eastfield",  "Elmira",        "Fairhaven",  "Fort Ledge", "Glenrock",    "Granite City",
    "Greenport",  "Harbor City",   "Highland",   "Ironvale",   "Kingsbridge", "Lakeshore",
    "Marlow",     "Midvale",       "Millbrook",  "Montréal",   "New Carlow",  "Northgate",
    "Oakridge",   "Pinecrest",     "Port Ellis", "Queensbury", "Redstone",    "Riverton",
    "Rockport",   "Saint-Étienne", "Silverton",  "St. Mary's", "Stonehaven",  "Summit",
    "Thornbury",  "Valley Forge",  "Westbrook",  "Whitby",     "Willowdale",  "Yorkton"};

const std::array<const char*, 48> nicknames = {
    "Anchors",   "Badgers",  "Bandits",  "Bears",    "Blaze",       "Bulldogs", "Captains",
    "Chargers",  "Comets",   "Cougars",  "Cyclones", "Dragons",     "Eagles",   "Falcons",
    "Foxes",     "Generals", "Giants",   "Gulls",    "Hammers",     "Hawks",    "Hornets",
    "Huskies",   "Knights",  "Lancers",  "Lions",    "Lumberjacks", "Mariners", "Marshals",
    "Miners",    "Monarchs", "Mustangs", "Outlaws",  "Panthers",    "Pilots",   "Pioneers",
    "Raiders",   "Rams",     "Rangers",  "Ravens",   "Rebels",      "Riveters", "Sentinels",
    "Stallions", "Storm",    "Thunder",  "Titans",   "Vipers",      "Wolves"};

const std::array<const char*, 8> leagueNames = {
    "Kickvale Football League",    "National Gridiron League",   "Continental Football League",
    "United Football Association", "Premier Gridiron League",    "American Pro Football League",
    "Federal Football League",     "Great Lakes Football League"};

const std::array<const char*, 10> injuryTypes = {
    "Sprain",     "Strain",      "Bruise",     "Fracture",      "Torn Ligament",
    "Concussion", "Dislocation", "Tendinitis", "Pulled Muscle", "Hyperextension"};

const std::array<const char*, 10> injuryLocations = {
    "Ankle", "Knee", "Hamstring", "Shoulder", "Wrist", "Head", "Back", "Hip", "Elbow", "Foot"};

} // namespace leaguegen::names
